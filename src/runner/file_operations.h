#pragma once

#include "common/result.h"

#include <QString>

// The file operations of a job run. Failures name the path concerned.

// Copies one file to a target path, replacing an existing file there. The
// copy keeps the source's modification time and permission bits. The data
// goes to a temporary file in the target's folder that takes the target's
// name only when complete, so a failure or a killed process never leaves a
// partly written file under that name, and an old file stays as it was.
// A target that is the source itself, by any path, is refused.
Result copyFile(const QString& source, const QString& target);

// Moves one file to a target path, replacing an existing file there. Within
// one file system the file is renamed; otherwise it is copied, the copy is
// flushed to disk, and only then the source is deleted.
Result moveFile(const QString& source, const QString& target);

// Deletes one file (not a folder).
Result deleteFile(const QString& path);
