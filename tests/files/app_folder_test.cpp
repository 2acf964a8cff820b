#include "files/app_folder.h"
#include "support/file_helpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace test_support;

namespace {

// Only <prefix>/bin/<program> with <prefix>/lib/fennick/<display module> is
// installed; every other place is a portable copy.
TEST(AppFolderTest, AnInstalledProgramIsKnownByItsLayout) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString prefix = dir.path() + QStringLiteral("/usr");
    const QString module = QStringLiteral("/lib/fennick/") + QLatin1String(kDisplayModuleName);
    for (const QString& file :
         {QStringLiteral("/usr/bin/fennick"), QStringLiteral("/usr") + module,
          QStringLiteral("/alone/bin/fennick"), QStringLiteral("/build/Fennick"),
          QStringLiteral("/build/") + QLatin1String(kDisplayModuleName),
          QStringLiteral("/other/sbin/fennick"), QStringLiteral("/other") + module})
        ASSERT_TRUE(writeBytes(dir.path() + file, "x"));

    EXPECT_TRUE(isInstalledLayout(prefix + QStringLiteral("/bin/fennick")));
    for (const char* portable : {"/alone/bin/fennick", "/build/Fennick", "/other/sbin/fennick"})
        EXPECT_FALSE(isInstalledLayout(dir.path() + QLatin1String(portable))) << portable;
}

} // namespace
