#include "files/file_search.h"

#include "common/escaped_text.h"
#include "files/wildcard.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

bool isOrdinaryFileAt(int dirFd, const char* path) {
    struct stat info;
    return fstatat(dirFd, path, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// A name that is not valid UTF-8 cannot be named in a text: decoded, its
// path would name no file.
Result unreadableName(const QString& folderPrefix, const QByteArray& name) {
    return Result::failure(QStringLiteral("ファイル名を UTF-8 として読み取れません: ") +
                           escapedText(folderPrefix) + escapedFileName(name));
}

Produced<QStringList> searchFolder(const QString& folderPrefix, const QString& namePattern) {
    const QByteArray folder =
        QFile::encodeName(folderPrefix.isEmpty() ? QStringLiteral(".") : folderPrefix);
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return {};
    std::vector<QByteArray> names;
    QByteArray unreadable;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        // Hidden files are found only by a pattern that itself begins with
        // a dot, as the shell's globbing does.
        if (name.startsWith('.') && !namePattern.startsWith(QLatin1Char('.')))
            continue;
        if (name == "." || name == "..")
            continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        if (!matchesWildcard(namePattern, QFile::decodeName(name)))
            continue;
        if (entry->d_type != DT_REG && !isOrdinaryFileAt(dirfd(dir), entry->d_name))
            continue;
        // The first such name in byte order is named, as results are ordered.
        if (!name.isValidUtf8() && (unreadable.isNull() || name < unreadable))
            unreadable = name;
        names.push_back(name);
    }
    closedir(dir);
    if (!unreadable.isNull())
        return {unreadableName(folderPrefix, unreadable)};
    std::sort(names.begin(), names.end());
    Produced<QStringList> found;
    found.value.reserve(qsizetype(names.size()));
    for (const QByteArray& name : names)
        found.value.append(folderPrefix + QFile::decodeName(name));
    return found;
}

} // namespace

bool isOrdinaryFile(const QString& path) {
    return isOrdinaryFileAt(AT_FDCWD, QFile::encodeName(path).constData());
}

Produced<QStringList> findOrdinaryFiles(const QString& pattern) {
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folderPrefix = pattern.left(slash + 1);
    const QString namePattern = pattern.mid(slash + 1);
    if (namePattern.isEmpty())
        return {};
    // "*" and "?" are ordinary characters in file names here: a path that
    // names a file as it stands is that file alone, never a pattern.
    if (isOrdinaryFile(pattern))
        return {Result::success(), {pattern}};
    if (!hasWildcards(namePattern))
        return {};
    return searchFolder(folderPrefix, namePattern);
}

QString firstOrdinaryFileName(const QString& pattern) {
    const QStringList found = findOrdinaryFiles(pattern).value;
    if (found.isEmpty())
        return {};
    return found.front().mid(found.front().lastIndexOf(QLatin1Char('/')) + 1);
}
