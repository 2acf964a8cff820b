#pragma once

#include "common/path_text.h"

#include <QString>

// The folder of the running executable, ending in "/". Every file of the
// program (settings, job lists) lies there. Worked out afresh on every call.
QString GetAppFolder();

// The path of the running executable, symbolic links resolved.
QString executablePath();

// Points GetAppFolder at another folder, so that tests work in a temporary
// folder; an empty text returns to the executable's folder.
void setAppFolderForTesting(const QString& folder);
