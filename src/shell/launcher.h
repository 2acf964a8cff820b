#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a desktop launcher (a freedesktop .desktop file) carries.
struct Launcher {
    QString name;
    QStringList command; // the program's absolute path, then its arguments
    QString icon;        // absolute path of an image, or an icon name of the icon theme
    QString actionName;  // the one entry the launcher adds to its right-click menu
    QStringList actionCommand;
};

// One argument as an Exec line writes it: in double quotes, with backslashes
// before ", `, $ and \, when it is empty or holds a character that the line
// would otherwise read as syntax; every % doubled, so that no field code can
// appear. The string escapes of the key's value are not yet applied.
QString execArgument(const QString& argument);

// The text of the launcher file. Every file or folder name reaches the
// program as exactly the argument it was. Fails, naming the text, when any
// part holds a control character (it cannot be written on a launcher's line
// without changing meaning in some reader) or a program path holds "=",
// which launchers do not allow there.
Produced<QByteArray> composeLauncher(const Launcher& launcher);
