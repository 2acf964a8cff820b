#pragma once

#include <QByteArray>
#include <QList>

#include <sys/stat.h>

// Where GIO's trash puts a file, worked out the way GIO does it: a file on the
// file system of the home folder goes to the home trash; any other to a trash
// at the top of its own file system, $topdir/.Trash/$uid or $topdir/.Trash-$uid.
// Each trash holds the file under files/ and its .trashinfo under info/.
struct TrashPlace {
    QByteArray mountPoint;     // the top of the file's file system; empty for the home trash
    QList<QByteArray> trashes; // the trash folders that may take the file
    QByteArray userTrash;      // $topdir/.Trash-$uid, where GIO falls back to
};

// The place for a file that lies in `folder` (its folder on the disk, links
// followed), given the home folder and the home trash.
TrashPlace trashPlaceFor(const QByteArray& folder, const QByteArray& homeFolder,
                         const QByteArray& homeTrash);

// The name GIO gives the nth file of one name in a trash: the name itself
// first, then a number before the first dot ("a.2.txt", "notes.3").
QByteArray numberedName(const QByteArray& name, int number);

// The path under files/ of the trash that holds the file `info` describes
// (device and inode), which had the name `name`; empty when none holds it.
QByteArray findInTrash(const TrashPlace& place, const QByteArray& name, const struct stat& info);

// The .trashinfo that belongs to a path under a trash's files/ folder.
QByteArray trashInfoOf(const QByteArray& pathInTrash);
