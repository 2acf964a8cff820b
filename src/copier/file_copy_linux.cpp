#include "copier/file_operations.h"

#include "common/error_text.h"
#include "copier/copy_data.h"
#include "copier/file_descriptor.h"
#include "copier/file_metadata.h"
#include "copier/file_paths.h"
#include "copier/temporary_file.h"
#include "copier/verified_copy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

FileOperations::FileOperations(TargetGuard& guard, CopyProgress* progress, bool verify,
                               MoveBatch::Completed moveCompleted)
    : m_guard(guard), m_progress(progress), m_verify(verify), m_moves(std::move(moveCompleted)) {}

Result FileOperations::copyFile(const QString& source, const QString& target) {
    encodePath(source, m_sourceName);
    encodePath(target, m_targetName);
    return copyEncoded(source, target, Purpose::Copy);
}

// Jobs write many files into one folder in a row: its bytes are made once.
const QByteArray& FileOperations::targetFolderName() {
    const QByteArrayView folder = folderOf(QByteArrayView(m_targetName));
    if (folder.size() != m_targetFolderName.size() ||
        std::memcmp(folder.data(), m_targetFolderName.constData(), size_t(folder.size())) != 0)
        m_targetFolderName = folder.toByteArray();
    return m_targetFolderName;
}

// An existing target: the run's checks first, then the refusal of the
// source itself (through a symbolic link too).
Result FileOperations::checkExisting(const QString& target, const QByteArray& targetName,
                                     const struct stat& entry, const FileId& source) {
    const Result allowed = m_guard.mayReplace(target, entry, source);
    if (!allowed.ok())
        return allowed;
    struct stat followed;
    const bool same = S_ISLNK(entry.st_mode)
                          ? stat(targetName.constData(), &followed) == 0 && idOf(followed) == source
                          : idOf(entry) == source;
    return same ? Result::failure(describeError(ErrorKind::SameFile, target)) : Result::success();
}

Result FileOperations::copyEncoded(const QString& source, const QString& target, Purpose purpose) {
    m_checkedHash.clear();
    const QByteArray& sourceName = m_sourceName;
    const QByteArray& targetName = m_targetName;
    // Not blocking: opening a named pipe would otherwise wait for a writer.
    const FileDescriptor in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat sourceInfo;
    if (in.get() < 0 || fstat(in.get(), &sourceInfo) != 0)
        return errnoFailure(source);
    if (S_ISDIR(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, source));
    if (!S_ISREG(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::FileNotFound, source));

    // Jobs tend to copy into an empty folder, or over earlier copies,
    // throughout. After a target that existed, the next one is looked at
    // first, and an existing one is replaced through a named file and a
    // rename; otherwise the copy takes a name that nothing may have.
    std::optional<struct stat> existing;
    if (m_lastTargetExisted && (existing = entryOf(targetName))) {
        const Result checked = checkExisting(target, targetName, *existing, idOf(sourceInfo));
        if (!checked.ok())
            return checked;
    }
    const bool sourceHasAcl = hasAcl(in.get());
    TemporaryFile temporary;
    if (!temporary.create(targetFolderName(), creationMode(sourceInfo, sourceHasAcl),
                          existing ? TemporaryFile::Naming::Named
                                   : TemporaryFile::Naming::UnnamedWherePossible)) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return Result::failure(describeError(ErrorKind::PathNotFound, folderOf(target)));
        return Result::failure(describeErrno(error, folderOf(target)));
    }
    QByteArray hash;
    switch (m_verify ? copyDataHashed(in.get(), temporary.fd(), sourceInfo, m_progress, hash)
                     : copyData(in.get(), temporary.fd(), sourceInfo, m_progress)) {
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
    const MetadataFiles files{in.get(),       sourceName, sourceInfo, sourceHasAcl,
                              temporary.fd(), targetName, copyInfo};
    if (!keepAttributes(files, purpose == Purpose::Move ? KeptAttributes::OfAMove
                                                        : KeptAttributes::OfACopy) ||
        (purpose == Purpose::Move && m_moves.flushesEachCopy(temporary.fd(), copyInfo.st_dev) &&
         fsync(temporary.fd()) != 0))
        return errnoFailure(target);
    // The copy keeps its inode under the target's name.
    const std::optional<FileId> replaced =
        existing ? std::optional<FileId>(idOf(*existing)) : std::nullopt;
    if (m_verify) {
        const Result checked = checkCopy(temporary.fd(), hash, source, target);
        if (!checked.ok())
            return checked;
    }
    const Result placed =
        putInPlace(temporary, target, {idOf(sourceInfo), idOf(copyInfo), replaced});
    if (placed.ok())
        m_checkedHash = hash;
    return placed;
}

// A new name is taken by a call that fails where a file has it (linkat, or
// renameat2 without replacing); only then is the target looked at and
// replaced by a rename, which is atomic. A file system that can do neither
// (a named temporary file, no renameat2 without replacing: some FUSE ones)
// has the target looked at before every rename.
Result FileOperations::putInPlace(TemporaryFile& temporary, const QString& target,
                                  WrittenFile file) {
    const QByteArray& targetName = m_targetName;
    if (!file.replaced) {
        const bool canRefuse =
            !temporary.isNamed() ||
            std::find(m_devicesWithoutNoReplace.begin(), m_devicesWithoutNoReplace.end(),
                      file.target.device) == m_devicesWithoutNoReplace.end();
        if (canRefuse && temporary.takeNewName(targetName)) {
            m_lastTargetExisted = false;
            m_guard.written(target, file);
            return Result::success();
        }
        if (canRefuse && errno != EEXIST) {
            if (!temporary.isNamed() || (errno != EINVAL && errno != EOPNOTSUPP))
                return errnoFailure(target);
            m_devicesWithoutNoReplace.push_back(file.target.device);
        }
        if (const std::optional<struct stat> existing = entryOf(targetName)) {
            const Result checked = checkExisting(target, targetName, *existing, file.source);
            if (!checked.ok())
                return checked;
            file.replaced = idOf(*existing);
        }
    }
    m_lastTargetExisted = file.replaced.has_value();
    if (!temporary.replace(targetName))
        return errnoFailure(target);
    m_guard.written(target, file);
    return Result::success();
}
