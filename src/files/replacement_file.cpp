#include "files/replacement_file.h"

#include "common/error_text.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReplacementFile::ReplacementFile(const QString& path) : m_path(path) {
    const QFileInfo entry(path);
    m_temporary =
        QFile::encodeName(entry.path() + QStringLiteral("/.") + entry.fileName()) + ".XXXXXX";
    // Created anew (O_EXCL), so a link under the temporary name is refused.
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temporary.constData());
    }
}

void ReplacementFile::write(QByteArrayView bytes) {
    while (m_error == 0 && !bytes.isEmpty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            m_error = written < 0 ? errno : ENOSPC;
        else
            bytes = bytes.sliced(written);
    }
}

Result ReplacementFile::commit(mode_t mode) {
    if (m_error == 0 && (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0))
        m_error = errno;
    if (m_fd >= 0 && ::close(m_fd) != 0 && m_error == 0)
        m_error = errno;
    m_fd = -1;
    if (m_error == 0 &&
        ::rename(m_temporary.constData(), QFile::encodeName(m_path).constData()) != 0)
        m_error = errno;
    if (m_error == 0)
        return Result::success();
    ::unlink(m_temporary.constData());
    return Result::failure(describeErrno(m_error, m_path));
}
