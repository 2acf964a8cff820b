#include "runner/file_operations.h"

#include "common/error_text.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Temporary files carry this prefix, so that one left by a killed process
// is recognisable.
constexpr char kTemporaryPrefix[] = ".fennick-";

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QByteArray temporaryNameIn(const QString& folder) {
    static std::atomic<unsigned> counter{0};
    return encoded(folder) + '/' + kTemporaryPrefix + QByteArray::number(getpid()) + '-' +
           QByteArray::number(counter++) + ".tmp";
}

// Closes a descriptor when it leaves scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    void reset(int fd) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports whether the close (the last write-back) worked.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

  private:
    int m_fd;
};

bool writeAll(int out, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(out, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool copyByReading(int in, int out) {
    static thread_local char buffer[256 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!writeAll(out, buffer, got))
            return false;
    }
}

// The kernel's copy offload first (in-kernel copy, or a reflink where the
// file system shares blocks), a read and write loop where it is refused. A
// regular file is copied up to the size it had when it was opened.
bool copyData(int in, int out, off_t size) {
    off_t copied = 0;
    while (copied < size) {
        const ssize_t done = copy_file_range(in, nullptr, out, nullptr,
                                             size_t(std::min<off_t>(size - copied, 1 << 30)), 0);
        if (done > 0) {
            copied += done;
            continue;
        }
        if (done == 0)
            return true; // the file shrank while it was copied
        if (errno == EINTR)
            continue;
        if (copied == 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            break; // this file system does not offload
        return false;
    }
    // Pseudo-files report no size; they, and file systems that do not
    // offload, are read to their end.
    return copied == size && size > 0 ? true : copyByReading(in, out);
}

// The permission bits a new file is created with, less those the process's
// file mode mask takes away; fchmod is needed only for those.
mode_t fileModeMask() {
    static const mode_t mask = [] {
        const mode_t current = umask(0);
        umask(current);
        return current;
    }();
    return mask;
}

// Where the new file's data is written before it takes the target's name.
struct TemporaryFile {
    FileDescriptor fd;
    QByteArray name; // empty for an unnamed file (O_TMPFILE)
};

bool createTemporary(const QString& folder, mode_t mode, TemporaryFile& temporary) {
    const int unnamed = ::open(encoded(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (unnamed >= 0) {
        temporary.fd.reset(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    for (;;) {
        temporary.name = temporaryNameIn(folder);
        const int named =
            ::open(temporary.name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        if (named >= 0) {
            temporary.fd.reset(named);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
}

bool isSameFile(const QByteArray& path, const struct stat& info) {
    struct stat other;
    return stat(path.constData(), &other) == 0 && other.st_dev == info.st_dev &&
           other.st_ino == info.st_ino;
}

Result errnoFailure(const QString& path) {
    return Result::failure(describeErrno(errno, path));
}

// Gives the finished temporary file the target's name. A new name is linked
// directly; an existing file is replaced by a rename, which is atomic, unless
// it is the source itself. Jobs tend to copy into an empty folder, or over
// earlier copies, throughout, so the case of the last copy is tried first.
Result putInPlace(TemporaryFile& temporary, const QString& folder, const QString& target,
                  const struct stat& source) {
    static bool expectExisting = false;
    const QByteArray targetName = encoded(target);
    const bool checked = expectExisting || !temporary.name.isEmpty();
    if (checked && isSameFile(targetName, source))
        return Result::failure(describeError(ErrorKind::SameFile, target));
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(temporary.fd.get());
    if (temporary.name.isEmpty()) {
        if (linkat(AT_FDCWD, handle.constData(), AT_FDCWD, targetName.constData(),
                   AT_SYMLINK_FOLLOW) == 0) {
            expectExisting = false;
            return temporary.fd.close() ? Result::success() : errnoFailure(target);
        }
        if (errno != EEXIST)
            return errnoFailure(target);
        if (!checked && isSameFile(targetName, source))
            return Result::failure(describeError(ErrorKind::SameFile, target));
    }
    expectExisting = true;
    while (temporary.name.isEmpty()) {
        temporary.name = temporaryNameIn(folder);
        if (linkat(AT_FDCWD, handle.constData(), AT_FDCWD, temporary.name.constData(),
                   AT_SYMLINK_FOLLOW) == 0)
            break;
        temporary.name.clear();
        if (errno != EEXIST)
            return errnoFailure(target);
    }
    if (!temporary.fd.close() || ::rename(temporary.name.constData(), targetName.constData()) != 0)
        return errnoFailure(target);
    temporary.name.clear();
    return Result::success();
}

enum class Flush { No, Yes };

Result copyFile(const QString& source, const QString& target, Flush flush) {
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const FileDescriptor in(::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceInfo;
    if (in.get() < 0 || fstat(in.get(), &sourceInfo) != 0)
        return errnoFailure(source);
    if (S_ISDIR(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, source));
    if (!S_ISREG(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::FileNotFound, source));

    const QString folder = folderOf(target);
    const mode_t mode = sourceInfo.st_mode & 0777;
    TemporaryFile temporary;
    if (!createTemporary(folder, mode, temporary)) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folder));
        return errnoFailure(folder);
    }
    const decltype(sourceInfo.st_mtim) times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    Result result = Result::success();
    if (!copyData(in.get(), temporary.fd.get(), sourceInfo.st_size) ||
        ((mode & fileModeMask()) != 0 && fchmod(temporary.fd.get(), mode) != 0) ||
        futimens(temporary.fd.get(), times) != 0 ||
        (flush == Flush::Yes && fdatasync(temporary.fd.get()) != 0))
        result = errnoFailure(target);
    else
        result = putInPlace(temporary, folder, target, sourceInfo);
    if (!temporary.name.isEmpty())
        ::unlink(temporary.name.constData());
    return result;
}

// Renames a file unless its target is the source itself; an existing other
// file is replaced. Returns -1 with errno set on failure.
int renameUnlessSame(const QByteArray& source, const QByteArray& target,
                     const struct stat& sourceInfo, bool& same) {
    same = false;
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    // EINVAL: a file system that cannot refuse to replace.
    if (errno != EEXIST && errno != EINVAL)
        return -1;
    same = isSameFile(target, sourceInfo);
    return same ? -1 : ::rename(source.constData(), target.constData());
}

} // namespace

Result copyFile(const QString& source, const QString& target) {
    return copyFile(source, target, Flush::No);
}

Result moveFile(const QString& source, const QString& target) {
    const QByteArray sourceName = encoded(source);
    struct stat sourceInfo;
    if (lstat(sourceName.constData(), &sourceInfo) != 0)
        return errnoFailure(source);
    // A symbolic link is moved as the file it points to, as a copy would.
    if (S_ISREG(sourceInfo.st_mode)) {
        bool same = false;
        if (renameUnlessSame(sourceName, encoded(target), sourceInfo, same) == 0)
            return Result::success();
        if (same)
            return Result::failure(describeError(ErrorKind::SameFile, target));
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folderOf(target)));
        if (errno == EACCES || errno == EPERM) {
            // Either folder may refuse the change; name the one that does.
            const QString targetFolder = folderOf(target);
            const bool targetWritable = access(encoded(targetFolder).constData(), W_OK | X_OK) == 0;
            return Result::failure(describeError(ErrorKind::AccessDenied,
                                                 targetWritable ? folderOf(source) : targetFolder));
        }
        if (errno != EXDEV)
            return errnoFailure(target);
    }
    const Result copied = copyFile(source, target, Flush::Yes);
    if (!copied.ok())
        return copied;
    return deleteFile(source);
}

Result deleteFile(const QString& path) {
    if (::unlink(encoded(path).constData()) != 0)
        return errnoFailure(path);
    return Result::success();
}
