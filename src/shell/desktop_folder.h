#pragma once

#include <QString>

// The user's desktop folder as the desktop reports it: the environment
// variable XDG_DESKTOP_DIR when it is set, otherwise the folder named in the
// user's user-dirs.dirs, otherwise ~/Desktop. The folder may not exist.
QString desktopFolder();
