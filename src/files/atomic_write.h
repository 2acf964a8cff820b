#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

// Replaces a whole file through a temporary file in the same folder that is
// renamed over it once complete and flushed to disk, so that a crash, a full
// disk or a write error leaves the old file as it was and no temporary file.
Result writeFileAtomically(const QString& path, const QByteArray& content);
