#include "copier/trash_place.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

bool exists(const QByteArray& path) {
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray childOf(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The top of the file system that holds a folder: the last folder on the way
// up, links resolved, that is still on the folder's device.
QByteArray mountPointOf(const QByteArray& folder) {
    char resolved[PATH_MAX];
    if (::realpath(folder.constData(), resolved) == nullptr)
        return folder;
    QByteArray top(resolved);
    struct stat topInfo, parentInfo;
    if (::stat(top.constData(), &topInfo) != 0)
        return top;
    while (top != "/" && ::stat(parentOf(top).constData(), &parentInfo) == 0 &&
           parentInfo.st_dev == topInfo.st_dev)
        top = parentOf(top);
    return top;
}

bool holds(const QByteArray& path, const struct stat& info) {
    struct stat found;
    return ::lstat(path.constData(), &found) == 0 && found.st_dev == info.st_dev &&
           found.st_ino == info.st_ino;
}

} // namespace

TrashPlace trashPlaceFor(const QByteArray& folder, const QByteArray& homeFolder,
                         const QByteArray& homeTrash) {
    TrashPlace place;
    struct stat folderInfo, homeInfo;
    if (::stat(folder.constData(), &folderInfo) == 0 &&
        ::stat(homeFolder.constData(), &homeInfo) == 0 && folderInfo.st_dev == homeInfo.st_dev) {
        place.trashes = {homeTrash};
        return place;
    }
    const QByteArray user = QByteArray::number(::geteuid());
    place.mountPoint = mountPointOf(folder);
    place.userTrash = childOf(place.mountPoint, ".Trash-" + user);
    place.trashes = {childOf(place.mountPoint, ".Trash/" + user), place.userTrash};
    return place;
}

QByteArray numberedName(const QByteArray& name, int number) {
    if (number == 1)
        return name;
    const qsizetype dot = name.indexOf('.');
    const QByteArray suffix = '.' + QByteArray::number(number);
    return dot < 0 ? name + suffix : name.left(dot) + suffix + name.mid(dot);
}

// GIO takes the first number whose .trashinfo it can create, so every lower
// number is taken in the trash: the search ends at the first free one.
QByteArray findInTrash(const TrashPlace& place, const QByteArray& name, const struct stat& info) {
    for (const QByteArray& trash : place.trashes) {
        for (int number = 1;; ++number) {
            const QByteArray entry = numberedName(name, number);
            const QByteArray file = trash + "/files/" + entry;
            if (holds(file, info))
                return file;
            if (!exists(file) && !exists(trash + "/info/" + entry + ".trashinfo"))
                break;
        }
    }
    return QByteArray();
}

QByteArray trashInfoOf(const QByteArray& pathInTrash) {
    return parentOf(parentOf(pathInTrash)) + "/info/" + nameOf(pathInTrash) + ".trashinfo";
}
