#include "copier/file_operations.h"

#include "common/error_text.h"
#include "copier/file_paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

Result FileOperations::moveFile(const QString& source, const QString& target) {
    const QByteArray sourceName = encodedPath(source);
    struct stat sourceInfo;
    if (lstat(sourceName.constData(), &sourceInfo) != 0)
        return errnoFailure(source);
    // Finishing the batch only deletes sources: a source it deleted fails below.
    const Result finished =
        m_moves.touches(source, sourceInfo, target) ? m_moves.finish() : m_moves.flushWhenFull();
    if (!finished.ok())
        return finished;
    // A symbolic link is moved as the file it points to, as a copy would.
    if (S_ISREG(sourceInfo.st_mode)) {
        bool same = false;
        if (renameUnlessSame(sourceName, encodedPath(target), sourceInfo, same) == 0)
            return Result::success();
        if (same)
            return Result::failure(describeError(ErrorKind::SameFile, target));
        if (errno == ENOENT || errno == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folderOf(target)));
        if (errno == EACCES || errno == EPERM) {
            // Either folder may refuse the change; name the one that does.
            const QString targetFolder = folderOf(target);
            const bool targetWritable =
                access(encodedPath(targetFolder).constData(), W_OK | X_OK) == 0;
            return Result::failure(describeError(ErrorKind::AccessDenied,
                                                 targetWritable ? folderOf(source) : targetFolder));
        }
        if (errno != EXDEV)
            return errnoFailure(target);
    }
    // A source that could not be deleted would leave the whole batch's
    // copies behind as duplicates: its folder must allow it first.
    const QString sourceFolder = folderOf(source);
    if (access(encodedPath(sourceFolder).constData(), W_OK | X_OK) != 0)
        return errno == EROFS
                   ? errnoFailure(sourceFolder)
                   : Result::failure(describeError(ErrorKind::AccessDenied, sourceFolder));
    // The source goes only when its copy, under its name, is on the disk.
    const Result copied = copyFile(source, target, Purpose::Move);
    if (copied.ok())
        m_moves.add(source, sourceInfo, target);
    return copied;
}
