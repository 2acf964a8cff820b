#pragma once

#include "common/result.h"

#include <QFile>
#include <QString>

// Opens a settings or job list file for reading, only when it is an ordinary
// file (a regular file, or a symbolic link to one). A folder, a device, a named
// pipe or a socket in its place is refused at once: reading one would hang on
// a pipe or never end on /dev/zero. A failure names the file and why.
Result openOrdinaryFile(QFile& file, const QString& path);
