#include "copier/file_operations.h"

#include "common/error_text.h"
#include "copier/file_paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The device of a folder, looked up once for each folder in a row.
std::optional<dev_t> FileOperations::folderDevice(const QString& folder) {
    if (folder != m_lastFolder) {
        struct stat info;
        if (stat(encodedPath(folder).constData(), &info) != 0)
            return std::nullopt;
        m_lastFolder = folder;
        m_lastFolderDevice = info.st_dev;
    }
    return m_lastFolderDevice;
}

// Whether a rename from the source's device into the folder failed before
// because the two are different file systems. Asked only once one has.
bool FileOperations::isKnownCrossDevice(dev_t source, const QString& target) {
    if (m_crossDevices.empty())
        return false;
    const std::optional<dev_t> targetDevice = folderDevice(folderOf(target));
    return targetDevice && m_crossDevices.count({source, *targetDevice}) != 0;
}

// Renames a regular file, refusing to replace the source itself; an existing
// other file is replaced. Nothing when the target is on another file system.
std::optional<Result> FileOperations::renameFile(const QString& source, const QString& target,
                                                 const struct stat& sourceInfo) {
    const QByteArray& sourceName = m_sourceName;
    const QByteArray& targetName = m_targetName;
    // A rename keeps the file's inode.
    WrittenFile file{idOf(sourceInfo), idOf(sourceInfo), std::nullopt};
    if (renameat2(AT_FDCWD, sourceName.constData(), AT_FDCWD, targetName.constData(),
                  RENAME_NOREPLACE) == 0) {
        m_guard.written(target, file);
        return Result::success();
    }
    // EINVAL, EOPNOTSUPP: a file system that cannot refuse to replace, where
    // the target is looked at before the rename.
    if (errno == EEXIST || errno == EINVAL || errno == EOPNOTSUPP) {
        if (const std::optional<struct stat> existing = entryOf(targetName)) {
            const Result checked = checkExisting(target, targetName, *existing, file.source);
            if (!checked.ok())
                return checked;
            file.replaced = idOf(*existing);
        }
        if (::rename(sourceName.constData(), targetName.constData()) == 0) {
            m_guard.written(target, file);
            return Result::success();
        }
    }
    const int error = errno;
    const QString targetFolder = folderOf(target);
    if (error == EXDEV) {
        if (const std::optional<dev_t> device = folderDevice(targetFolder))
            m_crossDevices.insert({sourceInfo.st_dev, *device});
        return std::nullopt;
    }
    if (error == ENOENT || error == ENOTDIR)
        return Result::failure(describeError(ErrorKind::PathNotFound, targetFolder));
    if (error == EACCES || error == EPERM) {
        // Either folder may refuse the change; name the one that does.
        const bool targetWritable = access(encodedPath(targetFolder).constData(), W_OK | X_OK) == 0;
        return Result::failure(describeError(ErrorKind::AccessDenied,
                                             targetWritable ? folderOf(source) : targetFolder));
    }
    return Result::failure(describeErrno(error, target));
}

Result FileOperations::moveFile(const QString& source, const QString& target) {
    m_checkedHash.clear();
    encodePath(source, m_sourceName);
    struct stat sourceInfo;
    if (lstat(m_sourceName.constData(), &sourceInfo) != 0)
        return errnoFailure(source);
    // Finishing the batch only deletes sources: a source it deleted fails below.
    const Result finished =
        m_moves.touches(source, sourceInfo, target) ? m_moves.finish() : m_moves.flushWhenFull();
    if (!finished.ok())
        return finished;
    const Result allowed = m_guard.mayMove(source, sourceInfo);
    if (!allowed.ok())
        return allowed;
    // A symbolic link is moved as the file it points to, as a copy would.
    encodePath(target, m_targetName);
    if (S_ISREG(sourceInfo.st_mode) && !isKnownCrossDevice(sourceInfo.st_dev, target)) {
        if (std::optional<Result> renamed = renameFile(source, target, sourceInfo))
            return *renamed;
    }
    // A source that could not be deleted would leave the whole batch's
    // copies behind as duplicates: its folder must allow it first.
    const QString sourceFolder = folderOf(source);
    if (access(encodedPath(sourceFolder).constData(), W_OK | X_OK) != 0)
        return errno == EROFS
                   ? errnoFailure(sourceFolder)
                   : Result::failure(describeError(ErrorKind::AccessDenied, sourceFolder));
    // The source goes only when its copy, under its name, is on the disk.
    const Result copied = copyEncoded(source, target, Purpose::Move);
    if (copied.ok())
        m_moves.add(source, sourceInfo, target, m_checkedHash);
    return copied;
}
