#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

// Directory search for ordinary files: regular files, or symbolic links to
// them; folders, devices and broken links are never found. Only the last
// component of a path may hold wildcards. A wildcard never matches a hidden
// file (a name beginning with ".") unless the pattern itself begins with ".";
// a path that names a hidden file exactly finds it.

// Whether the path, taken as it stands (wildcards are plain characters here),
// names an ordinary file.
bool isOrdinaryFile(const QString& path);

// The paths of every ordinary file that a path or pattern names, sorted by
// the bytes of their names so that results never depend on directory order.
// A path that names an existing file as it stands, wildcards and all, names
// that file alone. A pattern that meets a file whose name is not valid UTF-8
// fails, naming it escaped (escapedFileName): such a name cannot be handed on
// as a text.
Produced<QStringList> findOrdinaryFiles(const QString& pattern);

// The name, without folder, of the first ordinary file found; empty when none
// or when the search fails.
QString firstOrdinaryFileName(const QString& pattern);
