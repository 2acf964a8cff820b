#pragma once

#include "common/result.h"

#include <QString>

// Moves one file into the desktop trash, as the freedesktop.org Trash
// specification has it: a file on the home file system goes to the home
// trash, $XDG_DATA_HOME/Trash (by default ~/.local/share/Trash), which is
// created when missing; a file on another file system goes to the trash at
// the top of that file system ($topdir/.Trash-$uid). Each trashed file gets
// a .trashinfo, so that the file manager can put it back. On success,
// pathInTrash says where the file went. A file that cannot be trashed stays
// where it was; it is never deleted instead.
Result moveToTrash(const QString& path, QString& pathInTrash);

// Whether a path lies in the files folder of a trash: the home trash, or a
// trash at the top of a file system (.Trash-$uid, or .Trash/$uid).
bool liesInTrash(const QString& path);
