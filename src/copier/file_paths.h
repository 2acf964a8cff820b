#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <sys/stat.h>

// Small helpers shared by the copy, move and delete of files.

// The path as the file system's bytes.
QByteArray encodedPath(const QString& path);
// The same into `bytes`, whose storage is kept from one path to the next.
void encodePath(QStringView path, QByteArray& bytes);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
QString folderOf(const QString& path);
QByteArrayView folderOf(QByteArrayView path);

// The entry a path names itself (a symbolic link, not what it points to), or
// nothing with errno set.
std::optional<struct stat> entryOf(const QByteArray& path);

// A failure for the current errno, naming the path.
Result errnoFailure(const QString& path);
