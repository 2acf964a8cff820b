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

// The environment that a start-up finds: an unset variable is nullptr.
struct Environment {
    const char* xdgConfigHome;
    const char* xdgDataHome;
    const char* home;
};

void setVariable(const char* name, const char* value) {
    if (value)
        qputenv(name, value);
    else
        qunsetenv(name);
}

TEST(AppFolderTest, RelativeBaseFoldersAreIgnoredAndAnInstalledProgramNeedsAHome) {
    QTemporaryDir dir;
    const QString installed = dir.path() + QStringLiteral("/usr/bin/fennick");
    const QString portable = dir.path() + QStringLiteral("/build/Fennick");
    for (const QString& file :
         {installed, dir.path() + QStringLiteral("/usr/lib/fennick/") + kDisplayModuleName,
          portable})
        ASSERT_TRUE(writeBytes(file, "x"));
    struct Case {
        QString executable;
        Environment before;
        Environment after;
        bool stops;
    };
    const Case cases[] = {
        {portable, {"cfg", "/data", "/home/me"}, {nullptr, "/data", "/home/me"}, false},
        {portable, {"/cfg", "../data", "home"}, {"/cfg", nullptr, nullptr}, false},
        {installed, {"", "data", "/home/me"}, {nullptr, nullptr, "/home/me"}, false},
        {installed, {nullptr, nullptr, nullptr}, {nullptr, nullptr, nullptr}, true},
        {installed, {"cfg", nullptr, "home"}, {nullptr, nullptr, nullptr}, true},
        {installed, {"/cfg", nullptr, nullptr}, {"/cfg", nullptr, nullptr}, false},
    };
    const QByteArray home = qgetenv("HOME");
    for (const Case& c : cases) {
        setVariable("XDG_CONFIG_HOME", c.before.xdgConfigHome);
        setVariable("XDG_DATA_HOME", c.before.xdgDataHome);
        setVariable("HOME", c.before.home);
        const QString trouble = prepareFolderEnvironment(c.executable);
        const std::string what =
            c.executable.toStdString() + " " + (c.before.home ? c.before.home : "(no HOME)");
        EXPECT_EQ(trouble.contains(QStringLiteral("HOME")), c.stops) << what;
        for (const auto& [name, value] :
             {std::pair{"XDG_CONFIG_HOME", c.after.xdgConfigHome},
              std::pair{"XDG_DATA_HOME", c.after.xdgDataHome}, std::pair{"HOME", c.after.home}})
            EXPECT_EQ(qgetenv(name), QByteArray(value)) << what << " " << name;
    }
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", home);
}

} // namespace
