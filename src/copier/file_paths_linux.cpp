#include "copier/file_paths.h"

#include "common/error_text.h"

#include <QFile>

#include <cerrno>

QByteArray encodedPath(const QString& path) {
    return QFile::encodeName(path);
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

bool isSameFile(const QByteArray& path, const struct stat& info) {
    struct stat other;
    return stat(path.constData(), &other) == 0 && other.st_dev == info.st_dev &&
           other.st_ino == info.st_ino;
}

Result errnoFailure(const QString& path) {
    return Result::failure(describeErrno(errno, path));
}
