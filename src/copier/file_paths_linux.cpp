#include "copier/file_paths.h"

#include "common/error_text.h"

#include <cerrno>

// Qt takes file names on Linux as UTF-8 (QFile::encodeName converts through
// the system encoding, which is UTF-8 there); the direct conversion costs a
// fraction of the detour, once or twice for each file.
QByteArray encodedPath(const QString& path) {
    return path.toUtf8();
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

std::optional<struct stat> entryOf(const QByteArray& path) {
    struct stat info;
    if (lstat(path.constData(), &info) != 0)
        return std::nullopt;
    return info;
}

Result errnoFailure(const QString& path) {
    return Result::failure(describeErrno(errno, path));
}
