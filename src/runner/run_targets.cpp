#include "runner/run_targets.h"

#include "common/error_text.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool isReadOnly(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

// Where the name of a path starts.
qsizetype nameStart(QStringView path) {
    qsizetype start = path.size();
    while (start > 0 && path[start - 1] != QLatin1Char('/'))
        --start;
    return start;
}

bool isSameText(QStringView a, QStringView b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), size_t(a.size()) * sizeof(QChar)) == 0;
}

// The name as a file system that ignores case compares it. Most names are
// ASCII, folded here without the Unicode tables, and often already in lower
// case: then the name itself is returned. Otherwise the folded name is put
// into `folded`, whose storage is kept from name to name.
QStringView foldedName(QStringView name, QString& folded) {
    unsigned bits = 0;
    unsigned capitals = 0;
    for (const char16_t c : std::u16string_view(name.utf16(), size_t(name.size()))) {
        bits |= c;
        capitals |= unsigned(char16_t(c - u'A') < 26);
    }
    if (bits >= 0x80) {
        folded = name.toString().toCaseFolded();
        return folded;
    }
    if (capitals == 0)
        return name;
    folded.resize(name.size());
    QChar* out = folded.data();
    for (const QChar c : name)
        *out++ = c.toLower();
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
    listWritten();
    const auto written = m_sourceOf.constFind(targetId);
    const bool clash = written != m_sourceOf.cend() ? *written != source
                                                    : isNameWrittenFromOtherSource(target, source);
    return clash ? Result::failure(describeError(ErrorKind::WrittenByThisRun, target))
                 : Result::success();
}

void WrittenTargets::written(const QString& target, const WrittenFile& file) {
    const qsizetype start = nameStart(target);
    const QStringView folder = QStringView(target).first(start);
    const QStringView name = kept(QStringView(target).sliced(start));
    if (!m_listing && !file.replaced) {
        if (!isSameText(folder, m_unlistedFolder))
            m_unlistedFolder = kept(folder);
        m_unlisted.push_back({m_unlistedFolder, name, file.target, file.source});
        return;
    }
    listWritten();
    // A replaced file's inode is free again and may name a new file later.
    if (file.replaced)
        m_sourceOf.remove(*file.replaced);
    list(folder, name, file.target, file.source);
}

void WrittenTargets::list(QStringView folder, QStringView name, const FileId& target,
                          const FileId& source) {
    m_sourceOf.insert(target, source);
    const QStringView folded = foldedName(name, m_folded);
    const QStringView key = folded.data() == name.data() ? name : kept(folded);
    namesIn(folder).insert(key, {name, source});
}

// The files written so far go into the tables, in the order they were written,
// so that a name written twice keeps its last source.
void WrittenTargets::listWritten() {
    if (m_listing)
        return;
    m_listing = true;
    m_sourceOf.reserve(qsizetype(m_unlisted.size()));
    for (const Unlisted& file : m_unlisted)
        list(file.folder, file.name, file.target, file.source);
    m_unlisted = {};
}

QStringView WrittenTargets::kept(QStringView text) {
    if (text.isEmpty())
        return {};
    auto* copy =
        static_cast<QChar*>(m_text.allocate(size_t(text.size()) * sizeof(QChar), alignof(QChar)));
    std::copy(text.begin(), text.end(), copy);
    return {copy, text.size()};
}

// Jobs write into one folder for many records in a row: its names are found
// without hashing the folder's path again.
WrittenTargets::NamesInFolder& WrittenTargets::namesIn(QStringView folder) {
    if (m_lastNames == nullptr || !isSameText(folder, m_lastFolder)) {
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
    const QStringView name = QStringView(target).sliced(start);
    const NamesInFolder& names = namesIn(QStringView(target).first(start));
    const auto written = names.constFind(foldedName(name, m_folded));
    if (written == names.cend() || written->source == source)
        return false;
    if (written->name == name)
        return true;
    const QStringList entries =
        QDir(target.left(start))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return !entries.contains(name);
}
