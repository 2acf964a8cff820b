#include "copier/trash.h"

#include "common/error_text.h"
#include "common/path_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

Result trashFailure(const QString& why, const QString& path) {
    return Result::failure(QStringLiteral("ごみ箱に移動できません（%1）: %2").arg(why, path));
}

QString homeTrash() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash");
}

QString userId() {
    return QString::number(::getuid());
}

// Creates a folder and every missing folder above it, each readable by the
// user alone, as the desktop's base directories are.
bool makeFolders(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    return parent != folder && makeFolders(parent) &&
           (::mkdir(encoded(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir());
}

// The trash folders that may take a file: the home trash, and for a file on
// another file system those at its top.
QStringList trashesFor(const QString& path) {
    QStringList trashes{homeTrash()};
    const QStorageInfo storage(QFileInfo(path).path());
    if (storage.isValid() && storage != QStorageInfo(QDir::home())) {
        const QString top = withTrailingSeparator(storage.rootPath());
        trashes += {top + QStringLiteral(".Trash/") + userId(),
                    top + QStringLiteral(".Trash-") + userId()};
    }
    return trashes;
}

// Whether new files can be made on the file system of a folder: some room
// and, where the file system counts them, a free inode.
bool hasRoom(const QString& folder) {
    struct statvfs space;
    return ::statvfs(encoded(folder).constData(), &space) != 0 ||
           (space.f_bavail > 0 && (space.f_files == 0 || space.f_favail > 0));
}

// Qt names the .trashinfo after the file and, for a name taken already, a
// number; it tries new numbers for as long as the file cannot be created,
// which never ends when the info folder refuses every new file. What would
// refuse it is checked here before Qt is asked.
Result checkInfoFolders(const QString& path) {
    constexpr qsizetype kLongestSuffix = sizeof("-9999.trashinfo") - 1;
    if (encoded(QFileInfo(path).fileName()).size() + kLongestSuffix > NAME_MAX)
        return trashFailure(errorSentence(ErrorKind::NameTooLong), path);
    for (const QString& trash : trashesFor(path)) {
        const QString info = trash + QStringLiteral("/info");
        if (QFileInfo(info).isDir() && ::access(encoded(info).constData(), W_OK | X_OK) != 0)
            return trashFailure(describeError(ErrorKind::AccessDenied, info), path);
    }
    // A file on another file system goes to a trash on that one.
    for (const QString& folder : {homeTrash(), QFileInfo(path).path()}) {
        if (!hasRoom(folder))
            return trashFailure(describeError(ErrorKind::DiskFull, folder), path);
    }
    return Result::success();
}

// The .trashinfo that belongs to a file in a trash's files folder.
QString trashInfoOf(const QString& movedTo) {
    const QFileInfo moved(movedTo);
    return moved.dir().filePath(QStringLiteral("../info/") + moved.fileName() +
                                QStringLiteral(".trashinfo"));
}

// Qt writes the .trashinfo after the move and does not check the write; a
// file without it cannot be put back from the file manager.
bool hasTrashInfo(const QString& movedTo) {
    QFile info(trashInfoOf(movedTo));
    return info.open(QIODevice::ReadOnly) && info.readAll().contains("\nPath=");
}

// Puts back a file that Qt moved somewhere other than a trash, or without
// its .trashinfo, and removes the .trashinfo and the empty folders it made.
void putBack(const QString& movedTo, const QString& path) {
    QDir top = QFileInfo(movedTo).dir();
    top.cdUp();
    QFile::rename(movedTo, path);
    QFile::remove(trashInfoOf(movedTo));
    top.rmdir(QStringLiteral("files"));
    top.rmdir(QStringLiteral("info"));
}

} // namespace

bool liesInTrash(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    const QString files = QFileInfo(clean).path();
    if (!QDir::isAbsolutePath(clean) || QFileInfo(files).fileName() != QStringLiteral("files"))
        return false;
    const QString trash = QFileInfo(files).path();
    const QString trashName = QFileInfo(trash).fileName();
    return trash == QDir::cleanPath(homeTrash()) ||
           trashName == QStringLiteral(".Trash-") + userId() ||
           (trashName == userId() &&
            QFileInfo(QFileInfo(trash).path()).fileName() == QStringLiteral(".Trash"));
}

Result moveToTrash(const QString& path, QString& pathInTrash) {
    struct stat info;
    if (::lstat(encoded(path).constData(), &info) != 0)
        return Result::failure(describeErrno(errno, path));
    if (S_ISDIR(info.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, path));
    // Without the home trash, Qt 6.4 reports success after moving the file
    // into a folder "files" under the current folder.
    if (!makeFolders(homeTrash()))
        return trashFailure(QStringLiteral("作成できません: ") + homeTrash(), path);
    const Result usable = checkInfoFolders(path);
    if (!usable.ok())
        return usable;
    QFile file(path);
    if (!file.moveToTrash())
        return trashFailure(file.errorString(), path);
    pathInTrash = file.fileName();
    if (!liesInTrash(pathInTrash)) {
        putBack(pathInTrash, path);
        return trashFailure(QStringLiteral("ごみ箱の外に移されました: ") + pathInTrash, path);
    }
    if (!hasTrashInfo(pathInTrash)) {
        putBack(pathInTrash, path);
        return trashFailure(
            QStringLiteral(".trashinfo を書き込めません: ") + trashInfoOf(pathInTrash), path);
    }
    return Result::success();
}
