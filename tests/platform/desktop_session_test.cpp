#include "platform/desktop_session.h"
#include "support/virtual_display.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace test_support;

namespace {

TEST(DesktopSessionTest, WithoutADisplayOnlyTheLauncherVariableHoldsShift) {
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(displayAvailable());
    qputenv("FENNICK_SHIFT", "1");
    EXPECT_TRUE(shiftKeyHeld());
    qputenv("FENNICK_SHIFT", "0");
    EXPECT_FALSE(shiftKeyHeld());
    qunsetenv("FENNICK_SHIFT");
    EXPECT_FALSE(shiftKeyHeld());
    qputenv("DISPLAY", ":987"); // no server there
    EXPECT_FALSE(displayAvailable());
    EXPECT_FALSE(shiftKeyHeld());
    qunsetenv("DISPLAY");
}

TEST(DesktopSessionTest, ReadsEitherShiftKeyFromTheXServer) {
    VirtualDisplay display;
    if (!display.start())
        GTEST_SKIP() << "Xvfb is not installed; the X11 keyboard test needs it";
    EXPECT_TRUE(displayAvailable());
    EXPECT_FALSE(shiftKeyHeld());

    // Keys pressed through XTEST are released when their client disconnects,
    // so this connection holds them while the program's own one looks.
    Display* keyboard = XOpenDisplay(nullptr);
    ASSERT_NE(keyboard, nullptr);
    for (KeySym shift : {XK_Shift_L, XK_Shift_R}) {
        const KeyCode code = XKeysymToKeycode(keyboard, shift);
        XTestFakeKeyEvent(keyboard, code, True, 0);
        XSync(keyboard, False);
        EXPECT_TRUE(shiftKeyHeld()) << XKeysymToString(shift);
        XTestFakeKeyEvent(keyboard, code, False, 0);
        XSync(keyboard, False);
        EXPECT_FALSE(shiftKeyHeld()) << XKeysymToString(shift);
    }
    XCloseDisplay(keyboard);
}

} // namespace
