#include "copier/file_operations.h"

#include "common/error_text.h"
#include "copier/copy_data.h"
#include "copier/file_descriptor.h"
#include "copier/file_metadata.h"
#include "copier/file_paths.h"
#include "copier/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileOperations::FileOperations(CopyProgress* progress, MoveBatch::Completed moveCompleted)
    : m_progress(progress), m_moves(std::move(moveCompleted)) {}

Result FileOperations::copyFile(const QString& source, const QString& target) {
    return copyFile(source, target, Purpose::Copy);
}

Result FileOperations::copyFile(const QString& source, const QString& target, Purpose purpose) {
    const QByteArray sourceName = encodedPath(source);
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const FileDescriptor in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceInfo;
    if (in.get() < 0 || fstat(in.get(), &sourceInfo) != 0)
        return errnoFailure(source);
    if (S_ISDIR(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, source));
    if (!S_ISREG(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::FileNotFound, source));

    const QString folder = folderOf(target);
    const bool sourceHasAcl = hasAcl(in.get());
    TemporaryFile temporary;
    if (!temporary.create(folder, creationMode(sourceInfo, sourceHasAcl))) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folder));
        return errnoFailure(folder);
    }
    switch (copyData(in.get(), temporary.fd(), sourceInfo, m_progress)) {
    case CopyOutcome::Cancelled:
        return Result::cancelled();
    case CopyOutcome::Failed:
        return errnoFailure(target);
    case CopyOutcome::Short:
        return Result::failure(describeError(ErrorKind::CopyIncomplete, source));
    case CopyOutcome::Done:
        break;
    }
    // A copy that is not as large as the source never takes the target's
    // name, whatever the calls that wrote it reported (a pseudo-file, which
    // reports no size, is taken as read).
    struct stat copyInfo;
    if (fstat(temporary.fd(), &copyInfo) != 0)
        return errnoFailure(target);
    if (copyInfo.st_size != sourceInfo.st_size && sourceInfo.st_size != 0)
        return Result::failure(describeError(ErrorKind::CopyIncomplete, source));
    const MetadataFiles files{in.get(),       sourceName,          sourceInfo, sourceHasAcl,
                              temporary.fd(), encodedPath(target), copyInfo};
    if (!keepAttributes(files, purpose == Purpose::Move ? KeptAttributes::OfAMove
                                                        : KeptAttributes::OfACopy) ||
        (purpose == Purpose::Move && m_moves.flushesEachCopy(temporary.fd(), copyInfo.st_dev) &&
         fsync(temporary.fd()) != 0))
        return errnoFailure(target);
    return temporary.putInPlace(target, sourceInfo, m_lastTargetExisted);
}
