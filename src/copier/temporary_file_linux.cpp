#include "copier/temporary_file.h"

#include "common/error_text.h"
#include "copier/file_paths.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char kTemporaryPrefix[] = ".fennick-";

QByteArray temporaryNameIn(const QString& folder) {
    static std::atomic<unsigned> counter{0};
    return encodedPath(folder) + '/' + kTemporaryPrefix + QByteArray::number(getpid()) + '-' +
           QByteArray::number(counter++) + ".tmp";
}

// The name through which an open file, with or without a name of its own,
// can be linked into a folder.
QByteArray descriptorPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

} // namespace

TemporaryFile::~TemporaryFile() {
    if (!m_name.isEmpty())
        ::unlink(m_name.constData());
}

bool TemporaryFile::create(const QString& folder, mode_t mode) {
    m_folder = folder;
    const int unnamed =
        ::open(encodedPath(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (unnamed >= 0) {
        m_fd.reset(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    for (;;) {
        m_name = temporaryNameIn(folder);
        const int named = ::open(m_name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (named >= 0) {
            m_fd.reset(named);
            return true;
        }
        m_name.clear();
        if (errno != EEXIST)
            return false;
    }
}

// An unnamed file gets a temporary name beside the target, from which a
// rename can replace the target atomically.
bool TemporaryFile::linkUnderTemporaryName() {
    const QByteArray handle = descriptorPath(m_fd.get());
    while (m_name.isEmpty()) {
        m_name = temporaryNameIn(m_folder);
        if (linkat(AT_FDCWD, handle.constData(), AT_FDCWD, m_name.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            return true;
        m_name.clear();
        if (errno != EEXIST)
            return false;
    }
    return true;
}

// A new name is linked directly; an existing file is replaced by a rename,
// which is atomic. Jobs tend to copy into an empty folder, or over earlier
// copies, throughout, so the case of the last target is tried first.
Result TemporaryFile::putInPlace(const QString& target, const struct stat& source,
                                 bool& earlierTargetExisted) {
    const QByteArray targetName = encodedPath(target);
    const bool checked = earlierTargetExisted || !m_name.isEmpty();
    if (checked && isSameFile(targetName, source))
        return Result::failure(describeError(ErrorKind::SameFile, target));
    if (m_name.isEmpty()) {
        if (linkat(AT_FDCWD, descriptorPath(m_fd.get()).constData(), AT_FDCWD,
                   targetName.constData(), AT_SYMLINK_FOLLOW) == 0) {
            earlierTargetExisted = false;
            return m_fd.close() ? Result::success() : errnoFailure(target);
        }
        if (errno != EEXIST)
            return errnoFailure(target);
        if (!checked && isSameFile(targetName, source))
            return Result::failure(describeError(ErrorKind::SameFile, target));
    }
    earlierTargetExisted = true;
    if (!linkUnderTemporaryName())
        return errnoFailure(target);
    if (!m_fd.close() || ::rename(m_name.constData(), targetName.constData()) != 0)
        return errnoFailure(target);
    m_name.clear();
    return Result::success();
}
