#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Small helpers shared by the copy, move and delete of files.

// The path as the file system's bytes.
QByteArray encodedPath(const QString& path);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
QString folderOf(const QString& path);

// Whether the path names the file that `info` describes (symbolic links followed).
bool isSameFile(const QByteArray& path, const struct stat& info);

// A failure for the current errno, naming the path.
Result errnoFailure(const QString& path);
