#pragma once

#include <QApplication>

namespace test_support {

// Window tests need one QApplication for the whole test program. It is never
// destroyed: tearing it down after GoogleTest's own statics is what crashes.
inline void ensureGuiApplication() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fennick_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace test_support
