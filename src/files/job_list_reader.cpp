#include "files/job_list_reader.h"

#include "common/error_text.h"

std::optional<JobRecord> JobListReader::next() {
    while (const std::optional<QString> line = m_lines.next()) {
        if (isBlankLine(*line))
            continue;
        std::optional<JobRecord> parsed = parseJobRecord(*line);
        const std::optional<QString> problem =
            parsed ? recordProblem(*parsed) : std::optional<QString>();
        if (!parsed || problem) {
            const QString where = QStringLiteral("%1 行目").arg(m_lines.lineNumber());
            m_error = describeError(ErrorKind::BadRecord, m_lines.path()) + QStringLiteral("（") +
                      (problem ? where + QStringLiteral(": ") + *problem : where) +
                      QStringLiteral("）");
            return std::nullopt;
        }
        return parsed;
    }
    m_error = m_lines.error();
    return std::nullopt;
}

qint64 JobListReader::countLines(const QString& path) {
    TextLineReader lines;
    if (!lines.open(path).ok())
        return 0;
    qint64 count = 0;
    while (const std::optional<QString> line = lines.next()) {
        if (!isBlankLine(*line))
            ++count;
    }
    return lines.failed() ? count + 1 : count;
}
