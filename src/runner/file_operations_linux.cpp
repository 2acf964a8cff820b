#include "runner/file_operations.h"

#include "platform/error_text.h"

#include <QFile>

#include <atomic>
#include <cerrno>
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
// file system shares blocks), a read and write loop where it is refused.
bool copyData(int in, int out) {
    off_t copied = 0;
    for (;;) {
        const ssize_t done = copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (done > 0) {
            copied += done;
            continue;
        }
        if (done == 0 && copied > 0)
            return true;
        if (done == 0 || (copied == 0 && (errno == EXDEV || errno == ENOSYS ||
                                          errno == EOPNOTSUPP || errno == EINVAL))) {
            // Nothing copied yet: pseudo-files report no size, and some file
            // systems do not offload.
            return copyByReading(in, out);
        }
        if (errno != EINTR)
            return false;
    }
}

// Where the new file's data is written before it takes the target's name.
struct TemporaryFile {
    FileDescriptor fd;
    QByteArray name; // empty for an unnamed file (O_TMPFILE)
};

bool createTemporary(const QString& folder, TemporaryFile& temporary) {
    const int unnamed = ::open(encoded(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (unnamed >= 0) {
        temporary.fd.reset(unnamed);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    for (;;) {
        temporary.name = temporaryNameIn(folder);
        const int named =
            ::open(temporary.name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (named >= 0) {
            temporary.fd.reset(named);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
}

// Gives the finished temporary file the target's name. A new name is linked
// directly; an existing file is replaced by a rename, which is atomic.
bool putInPlace(TemporaryFile& temporary, const QString& folder, const QByteArray& target,
                bool targetExists) {
    if (temporary.name.isEmpty()) {
        const QByteArray handle = "/proc/self/fd/" + QByteArray::number(temporary.fd.get());
        if (!targetExists && linkat(AT_FDCWD, handle.constData(), AT_FDCWD, target.constData(),
                                    AT_SYMLINK_FOLLOW) == 0)
            return temporary.fd.close();
        if (!targetExists && errno != EEXIST)
            return false;
        for (;;) {
            temporary.name = temporaryNameIn(folder);
            if (linkat(AT_FDCWD, handle.constData(), AT_FDCWD, temporary.name.constData(),
                       AT_SYMLINK_FOLLOW) == 0)
                break;
            if (errno != EEXIST) {
                temporary.name.clear();
                return false;
            }
        }
    }
    if (!temporary.fd.close())
        return false;
    if (::rename(temporary.name.constData(), target.constData()) != 0)
        return false;
    temporary.name.clear();
    return true;
}

Result errnoFailure(const QString& path) {
    return Result::failure(describeErrno(errno, path));
}

enum class Flush { No, Yes };

Result copyFile(const QString& source, const QString& target, Flush flush) {
    const FileDescriptor in(::open(encoded(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat sourceInfo;
    if (in.get() < 0 || fstat(in.get(), &sourceInfo) != 0)
        return errnoFailure(source);
    if (S_ISDIR(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, source));

    const QByteArray targetName = encoded(target);
    struct stat targetInfo;
    const bool targetExists = stat(targetName.constData(), &targetInfo) == 0;
    if (targetExists && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino)
        return Result::failure(describeError(ErrorKind::SameFile, target));

    const QString folder = folderOf(target);
    TemporaryFile temporary;
    if (!createTemporary(folder, temporary)) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folder));
        return errnoFailure(folder);
    }
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    bool done = copyData(in.get(), temporary.fd.get());
    int failure = errno;
    if (done) {
        done = fchmod(temporary.fd.get(), sourceInfo.st_mode & 0777) == 0 &&
               futimens(temporary.fd.get(), times) == 0 &&
               (flush == Flush::No || fdatasync(temporary.fd.get()) == 0) &&
               putInPlace(temporary, folder, targetName, targetExists);
        failure = errno;
    }
    if (!temporary.name.isEmpty())
        ::unlink(temporary.name.constData());
    if (!done) {
        errno = failure;
        return errnoFailure(target);
    }
    return Result::success();
}

} // namespace

Result copyFile(const QString& source, const QString& target) {
    return copyFile(source, target, Flush::No);
}

Result moveFile(const QString& source, const QString& target) {
    const QByteArray sourceName = encoded(source);
    const QByteArray targetName = encoded(target);
    struct stat sourceInfo;
    if (lstat(sourceName.constData(), &sourceInfo) != 0)
        return errnoFailure(source);
    // A symbolic link is moved as the file it points to, as a copy would.
    if (S_ISREG(sourceInfo.st_mode)) {
        struct stat targetInfo;
        if (stat(targetName.constData(), &targetInfo) == 0 &&
            targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)
            return Result::failure(describeError(ErrorKind::SameFile, target));
        if (::rename(sourceName.constData(), targetName.constData()) == 0)
            return Result::success();
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folderOf(target)));
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
