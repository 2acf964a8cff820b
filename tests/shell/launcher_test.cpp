#include "shell/launcher.h"
#include "support/file_helpers.h"
#include "support/launcher_reader.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace test_support;

namespace {

// Names that a shell or a launcher reader would take apart if written as
// they stand.
const QStringList kHostileNames = {
    QStringLiteral("a b"),
    QStringLiteral("q\"uote"),
    QStringLiteral("$HOME"),
    QStringLiteral("50%"),
    QStringLiteral("%c%u"),
    QStringLiteral("tick`date`"),
    QStringLiteral("back\\slash"),
    QStringLiteral("ends in \\"),
    QStringLiteral("\\s\\n"),
    QStringLiteral("日本語 フォルダ"),
    QStringLiteral("'single'"),
    QStringLiteral("a;b&c|d>e<f~g*h?i#j(k)"),
    QStringLiteral(" leading blank"),
    QStringLiteral("x=y"),
    QStringLiteral("-c"),
    QString(),
};

// A launcher as the desktop shortcut writes it, with the program started
// through env.
Launcher launcherStarting(const QString& program, const QStringList& arguments) {
    const QString env = QStringLiteral("env");
    Launcher launcher;
    launcher.name = QStringLiteral("バッチコピー3");
    launcher.command = QStringList{env, program} + arguments;
    launcher.icon = QFileInfo(program).path() + QStringLiteral("/icons/fennick-copy.png");
    launcher.actionName = QStringLiteral("設定を開く");
    launcher.actionCommand =
        QStringList{env, QStringLiteral("FENNICK_SHIFT=1"), program} + arguments;
    return launcher;
}

// Whether desktop-file-validate, where installed, finds nothing wrong.
bool validLauncher(const QByteArray& text) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return true;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/launcher.desktop");
    writeBytes(path, text);
    QProcess process;
    process.start(validator, {path});
    process.waitForFinished();
    return process.exitCode() == 0 && process.readAll().isEmpty();
}

TEST(LauncherTest, EveryNameReachesTheProgramAsOneArgument) {
    for (const QString& name : kHostileNames) {
        const QString program = QStringLiteral("/opt/") + name + QStringLiteral("/Fennick");
        Launcher launcher = launcherStarting(program, {name, QStringLiteral("/c3")});
        launcher.name = name + QStringLiteral("3");
        const Produced<QByteArray> composed = composeLauncher(launcher);
        ASSERT_TRUE(composed.status.ok()) << name.toStdString();
        const QByteArray& text = composed.value;
        EXPECT_TRUE(validLauncher(text)) << text.toStdString();

        const std::optional<LauncherGroups> groups = readLauncherGroups(text);
        ASSERT_TRUE(groups) << text.toStdString();
        const QMap<QString, QString> entry = groups->value(QStringLiteral("Desktop Entry"));
        EXPECT_EQ(execArguments(entry.value("Exec")), launcher.command) << text.toStdString();
        EXPECT_EQ(unescapeValue(entry.value("Name")), launcher.name);
        EXPECT_EQ(unescapeValue(entry.value("Icon")), launcher.icon);
        EXPECT_EQ(entry.value("Actions"), "settings;");
        const QMap<QString, QString> action =
            groups->value(QStringLiteral("Desktop Action settings"));
        EXPECT_EQ(action.value("Name"), "設定を開く");
        EXPECT_EQ(execArguments(action.value("Exec")), launcher.actionCommand)
            << text.toStdString();
    }
}

TEST(LauncherTest, RefusesWhatNoLauncherLineCanHold) {
    for (const QStringList& command :
         {QStringList{"env", "/opt/two\nlines/Fennick", "/c3"},
          QStringList{"env", "/opt/tab\t", "/c3"}, QStringList{"env", "/opt/Fennick", "/c\r3"},
          QStringList{"/opt/a=b/Fennick", "/c3"}}) {
        Launcher launcher = launcherStarting("/opt/Fennick", {"/c3"});
        launcher.command = command;
        const Produced<QByteArray> composed = composeLauncher(launcher);
        EXPECT_FALSE(composed.status.ok()) << command.join(' ').toStdString();
        EXPECT_TRUE(composed.status.error().startsWith("ファイル名が正しくありません: "))
            << composed.status.error().toStdString();
        EXPECT_TRUE(composed.value.isEmpty());
    }
    Launcher launcher = launcherStarting("/opt/Fennick", {"/c3"});
    launcher.icon = "/opt/new\nline.png";
    EXPECT_FALSE(composeLauncher(launcher).status.ok());
}

// GLib's own launcher, as the desktop would start it, hands a program in a
// hostile folder exactly the arguments that were written.
TEST(LauncherTest, TheDesktopsLauncherStartsTheProgramWithTheSameArguments) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + QStringLiteral("/a b\"$%`\\日本語'");
    const QString program = folder + QStringLiteral("/print args");
    ASSERT_TRUE(writeBytes(program, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$ARGS_FILE\"\n"));
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
    const QString argsFile = dir.path() + QStringLiteral("/args");
    qputenv("ARGS_FILE", argsFile.toUtf8());

    const Produced<QByteArray> composed = composeLauncher(launcherStarting(program, kHostileNames));
    ASSERT_TRUE(composed.status.ok());
    const QString launcherPath = dir.path() + QStringLiteral("/test.desktop");
    ASSERT_TRUE(writeBytes(launcherPath, composed.value));
    QProcess::execute(gio, {QStringLiteral("launch"), launcherPath});
    // The launched program runs on after gio has returned.
    QDeadlineTimer deadline(10000);
    while (readBytes(argsFile).count('\0') < kHostileNames.size() && !deadline.hasExpired())
        QThread::msleep(20);
    QStringList received = QString::fromUtf8(readBytes(argsFile)).split(QChar('\0'));
    received.removeLast();
    EXPECT_EQ(received, kHostileNames);
    qunsetenv("ARGS_FILE");
}

} // namespace
