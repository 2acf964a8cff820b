#include "files/ordinary_file.h"

#include "common/error_text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Result openOrdinaryFile(QFile& file, const QString& path) {
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Result::failure(describeErrno(errno, path));
    struct stat info;
    const bool statted = fstat(fd, &info) == 0;
    const int statError = errno;
    if (!statted || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (!statted)
            return Result::failure(describeErrno(statError, path));
        return Result::failure(describeError(
            S_ISDIR(info.st_mode) ? ErrorKind::IsAFolder : ErrorKind::NotAnOrdinaryFile, path));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result::failure(describeError(ErrorKind::InputOutput, path));
    }
    return Result::success();
}
