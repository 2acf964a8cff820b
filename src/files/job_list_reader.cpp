#include "files/job_list_reader.h"

#include "common/error_text.h"

#include <cerrno>

namespace {

constexpr qint64 kLongestLine = 64 * 1024;

} // namespace

Result JobListReader::open(const QString& path) {
    m_file.setFileName(path);
    m_lineNumber = 0;
    errno = 0;
    if (!m_file.open(QIODevice::ReadOnly)) {
        const int errnum = errno ? errno : ENOENT;
        return Result::failure(describeErrno(errnum, path));
    }
    errno = 0;
    FileEncoding encoding = FileEncoding::Utf8;
    if (!detectEncoding(m_file, encoding))
        return Result::failure(describeErrno(errno ? errno : EIO, path));
    m_decoder = makeDecoder(encoding);
    return Result::success();
}

JobListReader::Status JobListReader::next(JobRecord& record) {
    if (m_file.atEnd())
        return Status::End;
    ++m_lineNumber;
    errno = 0;
    // One buffer serves every line, so that a long list costs no allocation
    // per line.
    m_line.resize(kLongestLine + 2);
    const qint64 length = m_file.readLine(m_line.data(), kLongestLine + 2);
    const bool brokenOff = length > kLongestLine;
    if (length <= 0 || brokenOff) {
        m_error = brokenOff ? describeError(ErrorKind::BadRecord, m_file.fileName()) +
                                  QStringLiteral("（%1 行目が長すぎます）").arg(m_lineNumber)
                            : describeErrno(errno ? errno : EIO, m_file.fileName());
        return Status::Error;
    }
    QByteArrayView bytes(m_line.constData(), length);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (m_lineNumber == 1 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const std::optional<JobRecord> parsed = parseJobRecord(m_decoder.decode(bytes));
    if (!parsed) {
        m_error = describeError(ErrorKind::BadRecord, m_file.fileName()) +
                  QStringLiteral("（%1 行目）").arg(m_lineNumber);
        return Status::Error;
    }
    record = *parsed;
    return Status::Record;
}

qint64 JobListReader::countLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint64 lines = 0;
    char last = '\n';
    for (QByteArray block; !(block = file.read(kLongestLine)).isEmpty(); last = block.back())
        lines += block.count('\n');
    return last == '\n' ? lines : lines + 1;
}
