#include "files/text_line_reader.h"

#include "common/error_text.h"
#include "files/ordinary_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr qsizetype kLongestLine = 64 * 1024; // characters of the ASCII range
constexpr qint64 kBlockSize = 64 * 1024;

} // namespace

Result TextLineReader::open(const QString& path) {
    m_path = path;
    m_buffer.clear();
    m_start = m_scan = 0;
    m_atEnd = false;
    m_lineNumber = 0;
    m_error.clear();
    const Result opened = openOrdinaryFile(m_file, path);
    if (!opened.ok())
        return opened;
    errno = 0;
    const std::optional<FileEncoding> encoding = detectEncoding(m_file);
    if (!encoding)
        return Result::failure(describeErrno(errno ? errno : EIO, path));
    m_encoding = *encoding;
    const ByteOrderMark mark = byteOrderMark(m_file.peek(3));
    if (mark.encoding == m_encoding && !m_file.seek(mark.length))
        return Result::failure(describeErrno(EIO, path));
    m_unit = isUtf16(m_encoding) ? 2 : 1;
    m_decoder = makeDecoder(m_encoding);
    return Result::success();
}

char16_t TextLineReader::unitAt(qsizetype position) const {
    const auto byte = [this](qsizetype i) { return char16_t(uchar(m_buffer[i])); };
    switch (m_encoding) {
    case FileEncoding::Utf16LittleEndian:
        return char16_t(byte(position) | byte(position + 1) << 8);
    case FileEncoding::Utf16BigEndian:
        return char16_t(byte(position) << 8 | byte(position + 1));
    default:
        return byte(position);
    }
}

// A CR or LF never occurs inside a multi-byte character of UTF-8 or Shift-JIS,
// and in UTF-16 it is a whole unit, so lines are found in the bytes.
qsizetype TextLineReader::findLineBreak(qsizetype from) const {
    if (m_unit == 1) {
        // Two library searches, a CR only before the first LF, outrun a loop
        // over each byte for both.
        const char* const begin = m_buffer.constData() + from;
        const char* const end = m_buffer.constData() + m_buffer.size();
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', size_t(end - begin)));
        const char* const crEnd = lf ? lf : end;
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(crEnd - begin)));
        const char* const found = cr ? cr : lf;
        return found ? found - m_buffer.constData() : -1;
    }
    for (qsizetype i = from; i + m_unit <= m_buffer.size(); i += m_unit) {
        const char16_t unit = unitAt(i);
        if (unit == u'\n' || unit == u'\r')
            return i;
    }
    return -1;
}

// Read straight into the buffer: a block of its own would be one more copy.
bool TextLineReader::readBlock() {
    m_buffer.remove(0, m_start);
    m_scan -= m_start;
    m_start = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + kBlockSize);
    errno = 0;
    const qint64 read = m_file.read(m_buffer.data() + kept, kBlockSize);
    m_buffer.resize(kept + std::max<qint64>(read, 0));
    if (read <= 0) {
        m_atEnd = true;
        return m_file.error() == QFileDevice::NoError;
    }
    return true;
}

std::optional<QByteArrayView> TextLineReader::fail(const QString& error) {
    m_error = error;
    return std::nullopt;
}

std::optional<QByteArrayView> TextLineReader::next() {
    for (;;) {
        const qsizetype lineBreak = findLineBreak(m_scan);
        // A CR at the end of what has been read may be the start of a CR LF.
        const bool crAtEdge = lineBreak >= 0 && lineBreak + m_unit == m_buffer.size() &&
                              unitAt(lineBreak) == u'\r' && !m_atEnd;
        if (lineBreak >= 0 && !crAtEdge) {
            const qsizetype after = lineBreak + m_unit;
            const bool crLf = unitAt(lineBreak) == u'\r' && after + m_unit <= m_buffer.size() &&
                              unitAt(after) == u'\n';
            const QByteArrayView line =
                QByteArrayView(m_buffer).sliced(m_start, lineBreak - m_start);
            m_start = m_scan = crLf ? after + m_unit : after;
            ++m_lineNumber;
            return line;
        }
        if ((m_buffer.size() - m_start) / m_unit > kLongestLine)
            return fail(describeError(ErrorKind::BadRecord, m_path) +
                        QStringLiteral("（%1 行目が長すぎます）").arg(m_lineNumber + 1));
        if (m_atEnd) {
            if (m_start == m_buffer.size())
                return std::nullopt;
            const QByteArrayView line = QByteArrayView(m_buffer).sliced(m_start);
            m_start = m_scan = m_buffer.size();
            ++m_lineNumber;
            return line;
        }
        m_scan =
            lineBreak >= 0 ? lineBreak : m_start + (m_buffer.size() - m_start) / m_unit * m_unit;
        if (!readBlock())
            return fail(describeErrno(errno ? errno : EIO, m_path));
    }
}
