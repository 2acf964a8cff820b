#include "files/job_list_reader.h"

#include "common/error_text.h"

namespace {

// The first byte of a line is never the second of a two-byte character, so
// where characters of the ASCII range are single bytes, a printable one
// there tells a line that is not blank without decoding it.
bool lineIsBlank(TextLineReader& lines, QByteArrayView line) {
    if (line.isEmpty())
        return true;
    const bool visibleAscii = line.front() > ' ' && line.front() < 0x7f;
    if (visibleAscii && !isUtf16(lines.encoding()))
        return false;
    return isBlankLine(lines.decode(line));
}

} // namespace

std::optional<JobRecord> JobListReader::next() {
    while (const std::optional<QByteArrayView> bytes = m_lines.next()) {
        // Nearly every line is a good record, read without decoding the line.
        if (m_lines.encoding() == FileEncoding::Utf8) {
            if (const auto fields = goodRecordFieldsInUtf8(*bytes))
                return JobRecord{destinationText((*fields)[0]), textOfUtf8((*fields)[1])};
        }
        const QString line = m_lines.decode(*bytes);
        if (isBlankLine(line))
            continue;
        std::optional<JobRecord> parsed = parseJobRecord(line);
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

// Most job lists name one destination folder on every line, so its text is
// made once and shared.
const QString& JobListReader::destinationText(QByteArrayView bytes) {
    if (bytes != m_destinationBytes) {
        m_destinationBytes = bytes.toByteArray();
        m_destination = textOfUtf8(bytes);
    }
    return m_destination;
}

qint64 JobListReader::countLines(const QString& path) {
    TextLineReader lines;
    if (!lines.open(path).ok())
        return 0;
    qint64 count = 0;
    while (const std::optional<QByteArrayView> line = lines.next()) {
        if (!lineIsBlank(lines, *line))
            ++count;
    }
    return lines.failed() ? count + 1 : count;
}
