#include "files/job_list_reader.h"

#include "common/error_text.h"

JobListReader::Status JobListReader::next(JobRecord& record) {
    for (;;) {
        switch (m_lines.next(m_line)) {
        case TextLineReader::Status::End:
            return Status::End;
        case TextLineReader::Status::Error:
            m_error = m_lines.error();
            return Status::Error;
        case TextLineReader::Status::Line:
            break;
        }
        if (isBlankLine(m_line))
            continue;
        const std::optional<JobRecord> parsed = parseJobRecord(m_line);
        const std::optional<QString> problem =
            parsed ? recordProblem(*parsed) : std::optional<QString>();
        if (!parsed || problem) {
            const QString line = QStringLiteral("%1 行目").arg(m_lines.lineNumber());
            m_error = describeError(ErrorKind::BadRecord, m_lines.path()) + QStringLiteral("（") +
                      (problem ? line + QStringLiteral(": ") + *problem : line) +
                      QStringLiteral("）");
            return Status::Error;
        }
        record = *parsed;
        return Status::Record;
    }
}

qint64 JobListReader::countLines(const QString& path) {
    TextLineReader lines;
    if (!lines.open(path).ok())
        return 0;
    qint64 count = 0;
    QString line;
    for (TextLineReader::Status status;
         (status = lines.next(line)) != TextLineReader::Status::End;) {
        if (status == TextLineReader::Status::Error)
            return count + 1;
        if (!isBlankLine(line))
            ++count;
    }
    return count;
}
