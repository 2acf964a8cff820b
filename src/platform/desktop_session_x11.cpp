#include "platform/desktop_session.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

Display* openDisplay() {
    return qEnvironmentVariableIsEmpty("DISPLAY") ? nullptr : XOpenDisplay(nullptr);
}

bool waylandSocketExists() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString path = QDir::isAbsolutePath(name)
                             ? name
                             : qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + name;
    return QFileInfo::exists(path);
}

bool keyDown(Display* display, const char keymap[32], KeySym symbol) {
    const KeyCode code = XKeysymToKeycode(display, symbol);
    return code != 0 && (keymap[code / 8] & (1 << (code % 8))) != 0;
}

} // namespace

bool displayAvailable() {
    if (Display* display = openDisplay()) {
        XCloseDisplay(display);
        return true;
    }
    return waylandSocketExists();
}

bool shiftKeyHeld() {
    if (launcherAsksForWindow())
        return true;
    Display* display = openDisplay();
    if (!display)
        return false;
    char keymap[32] = {};
    XQueryKeymap(display, keymap);
    const bool held = keyDown(display, keymap, XK_Shift_L) || keyDown(display, keymap, XK_Shift_R);
    XCloseDisplay(display);
    return held;
}
