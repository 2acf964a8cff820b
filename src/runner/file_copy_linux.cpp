#include "runner/file_operations.h"

#include "common/error_text.h"
#include "runner/copy_data.h"
#include "runner/file_descriptor.h"
#include "runner/file_paths.h"
#include "runner/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

mode_t currentFileModeMask() {
    const mode_t current = umask(0);
    umask(current);
    return current;
}

} // namespace

FileOperations::FileOperations(CopyProgress* progress)
    : m_progress(progress), m_fileModeMask(currentFileModeMask()) {}

Result FileOperations::copyFile(const QString& source, const QString& target) {
    return copyFile(source, target, Flush::No);
}

Result FileOperations::copyFile(const QString& source, const QString& target, Flush flush) {
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const FileDescriptor in(
        ::open(encodedPath(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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
    if (!temporary.create(folder, mode)) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folder));
        return errnoFailure(folder);
    }
    switch (copyData(in.get(), temporary.fd(), sourceInfo.st_size, m_progress)) {
    case CopyOutcome::Cancelled:
        return Result::cancelled();
    case CopyOutcome::Failed:
        return errnoFailure(target);
    case CopyOutcome::Done:
        break;
    }
    const decltype(sourceInfo.st_mtim) times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    if (((mode & m_fileModeMask) != 0 && fchmod(temporary.fd(), mode) != 0) ||
        futimens(temporary.fd(), times) != 0 ||
        (flush == Flush::Yes && fdatasync(temporary.fd()) != 0))
        return errnoFailure(target);
    return temporary.putInPlace(target, sourceInfo, m_lastTargetExisted);
}
