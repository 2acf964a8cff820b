#pragma once

#include "common/result.h"
#include "common/run_mode.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

// Everything a desktop shortcut is made from, gathered at the click.
struct ShortcutRequest {
    RunMode mode = RunMode::Copy;
    int profile = 0;
    QString appFolder;      // ends in "/"
    QString executableName; // the running executable's file name
    // The installed executable's absolute path; empty for a portable copy.
    QString installedExecutable;
    QString iconSetting; // "ICL" of section "ICON"
    QString desktopFolder;
};

// The two files of one shortcut, composed but not written.
struct ShortcutFiles {
    QString linkPath;
    QByteArray link;
    QString launcherPath;
    QByteArray launcher;
};

// The shell link "<desktop>/バッチコピー3.lnk" (the run mode's stem, then the
// profile number) that starts <application folder><executable base name> with
// "/c3", shown with command 4, its icon the run mode's index in Fennick.icl
// (when the icon setting is exactly "0") or GLENDOR.icl in the application
// folder; target and icon location pass through %NAME% expansion. Beside it
// "<desktop>/バッチコピー3.desktop", a launcher that starts the program with
// the same argument, shows the run mode's image from the application folder's
// "icons" folder and offers "設定を開く", which opens the window preset to
// the mode and profile. An installed program's shortcuts start the installed
// executable itself, and the launcher names the run mode's image by its icon
// name in the desktop's icon theme ("fennick-copy"). Fails, naming the path, when it cannot be
// written into one of the two files (a control character, "=" in the program's path, an icon path
// over 260 characters).
Produced<ShortcutFiles> composeShortcutFiles(const ShortcutRequest& request,
                                             const QProcessEnvironment& environment);
