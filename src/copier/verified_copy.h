#pragma once

#include "common/result.h"
#include "copier/copy_data.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

class CopyProgress;

// A copy that proves itself. The data passes through the program (never the
// kernel's copy offload or a clone, whose blocks could not be told from the
// source's), hashed on the way; the finished copy is then read back and
// hashed again.

// Copies as copyData() does, by reading and writing only, and sets `hash`
// ("xxh128:" and 32 hexadecimal digits) to the hash of the data read. Blocks
// of zeros of a file that may have holes are left as holes.
CopyOutcome copyDataHashed(int in, int out, const struct stat& source, CopyProgress* progress,
                           QByteArray& hash);

// Writes the copy open as `copy` out to the device, drops its cached pages so that it is read
// back from the device where the kernel allows it, reads it back and
// compares its hash with `hash`. A mismatch fails, naming source and target.
Result checkCopy(int copy, const QByteArray& hash, const QString& source, const QString& target);
