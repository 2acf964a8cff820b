// The main function of every test program. It sets the environment the tests
// are written for before anything of Qt starts, so that a test program run by
// hand behaves as it does under CTest.

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // No window reaches a real display, and Qt's texts and file names are
    // read as UTF-8 whatever the user's locale.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LC_ALL");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
