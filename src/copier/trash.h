#pragma once

#include "common/result.h"

#include <QString>

// Moves one file into the desktop trash through GIO, as file managers do: a
// file on the home file system goes to the home trash, $XDG_DATA_HOME/Trash
// (by default ~/.local/share/Trash), which is created when missing; a file on
// another file system goes to the trash at the top of that file system
// ($topdir/.Trash/$uid below a sticky .Trash, else $topdir/.Trash-$uid), and
// only to a folder that is the user's own, never through a link. Each trashed
// file gets a .trashinfo with its percent-encoded path, so that the file
// manager can put it back. On success, pathInTrash says where the file went.
// A file that cannot be trashed stays where it was and is never deleted
// instead; nothing here retries without end.
Result moveToTrash(const QString& path, QString& pathInTrash);
