#include "platform/desktop_session.h"

#include <QString>
#include <QtGlobal>

bool displayNamed() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool launcherAsksForWindow() {
    return qEnvironmentVariable("FENNICK_SHIFT") == QLatin1String("1");
}
