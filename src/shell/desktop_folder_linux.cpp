#include "shell/desktop_folder.h"

#include <QStandardPaths>

QString desktopFolder() {
    const QString fromEnvironment = qEnvironmentVariable("XDG_DESKTOP_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}
