#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

// Replaces a whole file through a temporary file in the same folder that is
// renamed over it once complete and flushed to disk, so that a crash, a full
// disk or a write error leaves the old file as it was and no temporary file.
Result writeFileAtomically(const QString& path, const QByteArray& content);

// What went wrong with a file, naming its path. Qt folds most system errors
// into "open error" or "write error"; the errno of the failing call says more,
// so it is preferred when there is one.
QString describeFileFailure(const QFileDevice& file, int errnum, const QString& path);
