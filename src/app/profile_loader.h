#pragma once

#include "common/result.h"

#include <QString>
#include <QStringList>

// What the window shows of one job profile: its destination folder as stored
// in the settings, and the sources of its job list file.
struct LoadedProfile {
    QString destination;
    QStringList sources;
    // Why reading the job list stopped early; the sources read before stay.
    Result status = Result::success();
};

// Reads a profile for the window. A missing job list file is no error: the
// list is simply empty.
LoadedProfile loadProfile(const QString& appFolder, const QString& profileText);
