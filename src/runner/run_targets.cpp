#include "runner/run_targets.h"

#include "common/error_text.h"

#include <QDir>
#include <QFile>

namespace {

bool isReadOnly(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

// Where the name of a path starts.
qsizetype nameStart(const QString& path) {
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

// The name as a file system that ignores case compares it. Most names are
// ASCII, folded here without the Unicode tables, and often already in lower
// case, which costs no copy.
QString foldedName(const QString& name) {
    bool upper = false;
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toCaseFolded();
        upper = upper || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    }
    if (!upper)
        return name;
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

} // namespace

Result refuseReadOnly(const QString& path) {
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) == 0 && isReadOnly(info))
        return Result::failure(describeError(ErrorKind::ReadOnlyFile, path));
    return Result::success();
}

Result WrittenTargets::mayMove(const QString& source, const struct stat& entry) {
    return isReadOnly(entry) ? Result::failure(describeError(ErrorKind::ReadOnlyFile, source))
                             : Result::success();
}

Result WrittenTargets::mayReplace(const QString& target, const struct stat& entry,
                                  const FileId& source) {
    if (isReadOnly(entry))
        return Result::failure(describeError(ErrorKind::ReadOnlyFile, target));
    const FileId targetId = idOf(entry);
    // A target that is the source itself is refused by the copier.
    if (targetId == source)
        return Result::success();
    const auto written = m_sourceOf.constFind(targetId);
    const bool clash = written != m_sourceOf.cend() ? *written != source
                                                    : isNameWrittenFromOtherSource(target, source);
    return clash ? Result::failure(describeError(ErrorKind::WrittenByThisRun, target))
                 : Result::success();
}

void WrittenTargets::written(const QString& target, const WrittenFile& file) {
    // A replaced file's inode is free again and may name a new file later.
    if (file.replaced)
        m_sourceOf.remove(*file.replaced);
    m_sourceOf.insert(file.target, file.source);
    const qsizetype start = nameStart(target);
    const QString name = target.mid(start);
    namesIn(QStringView(target).left(start)).insert(foldedName(name), {name, file.source});
}

// Jobs write into one folder for many records in a row: its names are found
// without hashing the folder's path again.
WrittenTargets::NamesInFolder& WrittenTargets::namesIn(QStringView folder) {
    if (m_lastNames == nullptr || folder != m_lastFolder) {
        m_lastFolder = folder.toString();
        m_lastNames = &m_namesByFolder[m_lastFolder];
    }
    return *m_lastNames;
}

// An existing target whose name this run wrote into the same folder from
// another source, in the same letter case, or in another one while the folder
// lists no entry of the target's own spelling (the file system ignores case,
// so the two names are one file). This holds where inode numbers do not: some
// FUSE file systems give each spelling, or each look-up, a number of its own.
bool WrittenTargets::isNameWrittenFromOtherSource(const QString& target, const FileId& source) {
    const qsizetype start = nameStart(target);
    const QString name = target.mid(start);
    const NamesInFolder& names = namesIn(QStringView(target).left(start));
    const auto written = names.constFind(foldedName(name));
    if (written == names.cend() || written->source == source)
        return false;
    if (written->name == name)
        return true;
    const QStringList entries =
        QDir(target.left(start))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return !entries.contains(name);
}
