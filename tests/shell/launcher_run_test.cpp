#include "shell/shortcut_files.h"
#include "shell/shortcut_writer.h"
#include "support/app_sandbox.h"
#include "support/file_helpers.h"
#include "support/launcher_reader.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace test_support;

namespace {

// The built program, copied into a folder whose name a careless launcher
// would break, with a job list for profile 0 that copies one file. Nothing
// reaches a display, so the program runs as it would from a terminal.
class LauncherRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        ASSERT_TRUE(writeBytes(m_source, "data"));
        m_sandbox.writeJobList(QStringLiteral("0"), {{m_sandbox.makeFolder("out"), m_source}});

        ShortcutRequest request;
        request.appFolder = m_appFolder;
        request.executableName = QStringLiteral("Fennick");
        request.desktopFolder = m_sandbox.makeFolder(QStringLiteral("desktop"));
        const Produced<ShortcutFiles> files = composeShortcutFiles(request, QProcessEnvironment());
        ASSERT_TRUE(files.status.ok());
        ASSERT_TRUE(writeShortcutFiles(files.value).ok());
        m_launcherPath = files.value.launcherPath;
    }

    // Runs a command as the launcher gives it, without a display.
    int run(const QStringList& command) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "FENNICK_SHIFT"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
        process.start(command.first(), command.mid(1));
        process.waitForFinished();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    AppSandbox m_sandbox{QStringLiteral("a b\"$%`\\日本語 'x'")};
    QString m_appFolder = m_sandbox.appFolder();
    QString m_source = m_sandbox.path(QStringLiteral("src/a.txt"));
    QString m_copy = m_sandbox.path(QStringLiteral("out/a.txt"));
    QString m_launcherPath;
};

TEST_F(LauncherRunTest, TheLauncherRunsTheProfileSilently) {
    const std::optional<QStringList> command =
        launcherCommand(readBytes(m_launcherPath), QStringLiteral("Desktop Entry"));
    ASSERT_TRUE(command);
    EXPECT_EQ(*command, QStringList({"env", m_appFolder + "Fennick", "/c0"}));
    EXPECT_EQ(run(*command), 0);
    EXPECT_EQ(readBytes(m_copy), "data");
}

TEST_F(LauncherRunTest, TheSettingsActionOpensTheWindowInsteadOfRunning) {
    const std::optional<QStringList> command =
        launcherCommand(readBytes(m_launcherPath), QStringLiteral("Desktop Action settings"));
    ASSERT_TRUE(command);
    EXPECT_EQ(*command, QStringList({"env", "FENNICK_SHIFT=1", m_appFolder + "Fennick", "/c0"}));
    // Without a display the window cannot open, which ends the program with 1.
    EXPECT_EQ(run(*command), 1);
    EXPECT_FALSE(QFileInfo::exists(m_copy));
}

// GLib's launcher, as a GNOME desktop uses it on a double click.
TEST_F(LauncherRunTest, TheDesktopsLauncherRunsTheProfile) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    EXPECT_EQ(run({gio, QStringLiteral("launch"), m_launcherPath}), 0);
    // The program runs on after gio has returned.
    QDeadlineTimer deadline(10000);
    while (readBytes(m_copy) != "data" && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(readBytes(m_copy), "data");
}

} // namespace
