#include "copier/trash.h"

#include "common/error_text.h"
#include "copier/file_paths.h"
#include "copier/gio_trash.h"
#include "copier/trash_place.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Result trashFailure(const QString& why, const QString& path) {
    return Result::failure(QStringLiteral("ごみ箱に移動できません（%1）: %2").arg(why, path));
}

QString decoded(const QByteArray& path) {
    return QFile::decodeName(path);
}

// Why GIO has no trash for a file: the words for each case it refuses.
QString whyUnsupported(const TrashPlace& place, const GioTrash& gio) {
    if (place.mountPoint.isEmpty())
        return QStringLiteral(
                   "ホームフォルダーと別のファイルシステムにあるごみ箱には移せません: %1")
            .arg(decoded(place.trashes.value(0)));
    if (gio.isSystemInternalMount(place.mountPoint))
        return QStringLiteral(
                   "システム内部のファイルシステム（tmpfs など）ではごみ箱を使えません: %1")
            .arg(decoded(place.mountPoint));
    struct stat info;
    if (::lstat(place.userTrash.constData(), &info) == 0 &&
        (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()))
        return QStringLiteral("ごみ箱のフォルダーが他のユーザーのものかリンクのため使いません: %1")
            .arg(decoded(place.userTrash));
    return QStringLiteral("このファイルシステムにはごみ箱を作れません: %1")
        .arg(decoded(place.mountPoint));
}

bool putBack(const QByteArray& pathInTrash, const QByteArray& path) {
    if (renameat2(AT_FDCWD, pathInTrash.constData(), AT_FDCWD, path.constData(),
                  RENAME_NOREPLACE) == 0)
        return true;
    // EINVAL: a file system that cannot refuse to replace.
    struct stat info;
    return errno == EINVAL && ::lstat(path.constData(), &info) != 0 &&
           ::rename(pathInTrash.constData(), path.constData()) == 0;
}

// GIO writes the .trashinfo after creating it empty and does not check the
// write: on a full disk the file reaches the trash with an empty one, and
// the file manager cannot put it back. Such a file is put back here.
Result keepOnlyWithTrashInfo(const QByteArray& pathInTrash, const QByteArray& path) {
    const QByteArray infoPath = trashInfoOf(pathInTrash);
    QFile info(decoded(infoPath));
    if (info.open(QIODevice::ReadOnly) && info.read(4096).contains("\nPath="))
        return Result::success();
    const QString original = decoded(path);
    if (!putBack(pathInTrash, path))
        return trashFailure(QStringLiteral(".trashinfo を書き込めず、元の場所にも戻せません: ") +
                                decoded(pathInTrash),
                            original);
    ::unlink(infoPath.constData());
    return trashFailure(QStringLiteral(".trashinfo を書き込めません: ") + decoded(infoPath),
                        original);
}

} // namespace

Result moveToTrash(const QString& path, QString& pathInTrash) {
    const QByteArray file = encodedPath(path);
    struct stat info;
    if (::lstat(file.constData(), &info) != 0)
        return Result::failure(describeErrno(errno, path));
    if (S_ISDIR(info.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, path));
    const GioTrash gio;
    if (!gio.whyNotLoaded().isEmpty())
        return trashFailure(gio.whyNotLoaded(), path);
    // GIO chooses the trash by the file's folder, links followed.
    const TrashPlace place =
        trashPlaceFor(encodedPath(folderOf(path)), gio.homeFolder(), gio.homeTrash());
    const GioTrashOutcome outcome = gio.trash(file);
    if (!outcome.trashed)
        return trashFailure(outcome.unsupported ? whyUnsupported(place, gio) : outcome.why, path);
    const QByteArray found = findInTrash(place, file.mid(file.lastIndexOf('/') + 1), info);
    if (found.isEmpty()) {
        // Emptied from the trash before it could be found: there is nothing more to say.
        pathInTrash = QStringLiteral("ごみ箱（名前は分かりません）");
        return Result::success();
    }
    pathInTrash = decoded(found);
    return keepOnlyWithTrashInfo(found, file);
}
