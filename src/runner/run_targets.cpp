#include "runner/run_targets.h"

#include "common/error_text.h"

#include <QDir>
#include <QFile>

#include <optional>
#include <sys/stat.h>

namespace {

// The entry a path names itself (a symbolic link, not what it points to):
// that is what a delete removes and what a copy's rename replaces.
std::optional<struct stat> entryInfo(const QString& path) {
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

// The folder part of a path, ending in "/", and the name after it.
std::pair<QString, QString> folderAndName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return {path.left(slash + 1), path.mid(slash + 1)};
}

bool isReadOnly(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

} // namespace

Result refuseReadOnly(const QString& path) {
    const std::optional<struct stat> info = entryInfo(path);
    if (info && isReadOnly(*info))
        return Result::failure(describeError(ErrorKind::ReadOnlyFile, path));
    return Result::success();
}

Result WrittenTargets::write(const QString& source, const QString& target,
                             const std::function<Result()>& operation) {
    // A copy reads what a link points to, so the source is known by that.
    struct stat sourceInfo;
    const bool sourceKnown = stat(QFile::encodeName(source).constData(), &sourceInfo) == 0;
    const FileId sourceId{sourceInfo.st_dev, sourceInfo.st_ino};
    std::optional<FileId> replaced;
    if (const std::optional<struct stat> existing = entryInfo(target)) {
        if (isReadOnly(*existing))
            return Result::failure(describeError(ErrorKind::ReadOnlyFile, target));
        const FileId targetId{existing->st_dev, existing->st_ino};
        replaced = targetId;
        const auto written = m_sourceOf.find(targetId);
        // A target that is the source itself is refused by the copy.
        const bool clash = written != m_sourceOf.end()
                               ? written->second != sourceId
                               : isNameWrittenFromOtherSource(target, sourceId);
        if (sourceKnown && clash && targetId != sourceId)
            return Result::failure(describeError(ErrorKind::WrittenByThisRun, target));
    }
    const Result done = operation();
    if (!done.ok())
        return done;
    // A replaced file's inode is free again and may name a new file later.
    if (replaced)
        m_sourceOf.erase(*replaced);
    if (const std::optional<struct stat> landed = entryInfo(target); landed && sourceKnown) {
        m_sourceOf[{landed->st_dev, landed->st_ino}] = sourceId;
        const auto [folder, name] = folderAndName(target);
        m_writtenNames[{folder, name.toCaseFolded()}] = {name, sourceId};
    }
    return done;
}

// An existing target whose name this run wrote into the same folder from
// another source, in the same letter case, or in another one while the folder
// lists no entry of the target's own spelling (the file system ignores case,
// so the two names are one file). This holds where inode numbers do not: some
// FUSE file systems give each spelling, or each look-up, a number of its own.
bool WrittenTargets::isNameWrittenFromOtherSource(const QString& target,
                                                  const FileId& sourceId) const {
    const auto [folder, name] = folderAndName(target);
    const auto written = m_writtenNames.find({folder, name.toCaseFolded()});
    if (written == m_writtenNames.end() || written->second.source == sourceId)
        return false;
    if (written->second.name == name)
        return true;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    return !entries.contains(name);
}
