#include "files/app_folder.h"
#include "shell/desktop_shortcut.h"
#include "shell/shortcut_files.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/launcher_reader.h"
#include "support/temporary_app_folder.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>

using namespace test_support;

namespace {

const QString kConfirmation =
    QStringLiteral("デスクトップにショートカットを作成しました。\r"
                   "SHIFTキーを押しながらショートカットを起動すると処理内容を確認出来ます。");

// The "Name : value" lines that lnkinfo prints for a link file.
std::optional<QMap<QString, QString>> lnkinfo(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("lnkinfo"), {path});
    if (!process.waitForFinished() || process.exitCode() != 0)
        return std::nullopt;
    QMap<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon > 0)
            fields[line.left(colon).trimmed()] = line.mid(colon + 2);
    }
    return fields;
}

class DesktopShortcutTest : public TemporaryAppFolderTest {
  protected:
    DesktopShortcutTest() : TemporaryAppFolderTest(QStringLiteral("app")) {}

    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        arrangeFolders();
    }
    void arrangeFolders() {
        m_appFolder = m_folder.appFolder();
        m_desktop = path(QStringLiteral("デスクトップ"));
        QDir().mkpath(m_desktop);
        setAppFolderForTesting(m_appFolder);
        qputenv("XDG_DESKTOP_DIR", m_desktop.toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_DESKTOP_DIR"); }

    void setIconLibrarySetting(const char* value) {
        ASSERT_TRUE(writeBytes(m_appFolder + "_Fennick.ini", QByteArray("[ICON]\nICL=") + value));
    }

    // Checks the link against lnkinfo's reading and its header fields.
    void expectLink(const QString& name, const QString& target, const QString& arguments,
                    const QString& iconLocation, int iconIndex) {
        const QString path = m_desktop + "/" + name;
        const std::optional<QMap<QString, QString>> fields = lnkinfo(path);
        ASSERT_TRUE(fields) << "lnkinfo cannot read " << path.toStdString();
        EXPECT_EQ(fields->value("Local path"), target);
        EXPECT_EQ(fields->value("Command line arguments"), arguments);
        EXPECT_EQ(fields->value("Icon location"), iconLocation);
        EXPECT_EQ(fields->value("Icon index"), QString::number(iconIndex));
        // This lnkinfo prints the file size as the show command and hot key.
        const QByteArray bytes = readBytes(path);
        ASSERT_GE(bytes.size(), 0x4C);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 0x3C), 4u);
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 0x40), 0u);
    }

    // The file name of this test program, which the shortcuts start.
    const QString m_executable = QFileInfo(QFile::symLinkTarget("/proc/self/exe")).fileName();
    QString m_appFolder;
    QString m_desktop;
    FakePrompter m_prompter;
};

TEST_F(DesktopShortcutTest, LinksCarryTargetArgumentsAndTheRunModesIcon) {
    if (QStandardPaths::findExecutable("lnkinfo").isEmpty())
        GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    const QString target = m_appFolder + m_executable;

    ASSERT_TRUE(createDesktopShortcut(RunMode::Copy, 0, m_prompter).ok());
    expectLink("バッチコピー0.lnk", target, "/c0", m_appFolder + "GLENDOR.icl", 0);

    setIconLibrarySetting("0");
    ASSERT_TRUE(createDesktopShortcut(RunMode::Delete, 9, m_prompter).ok());
    expectLink("バッチ削除9.lnk", target, "/d9", m_appFolder + "Fennick.icl", 1);

    for (const char* setting : {"1", "00", ""}) {
        setIconLibrarySetting(setting);
        ASSERT_TRUE(createDesktopShortcut(RunMode::Move, 3, m_prompter).ok());
        expectLink("バッチ移動3.lnk", target, "/m3", m_appFolder + "GLENDOR.icl", 2);
    }
    // Each pair has one link and one launcher; a second click rewrote them.
    EXPECT_EQ(entriesOf(m_desktop),
              QStringList({"バッチコピー0.desktop", "バッチコピー0.lnk", "バッチ削除9.desktop",
                           "バッチ削除9.lnk", "バッチ移動3.desktop", "バッチ移動3.lnk"}));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList(5, kConfirmation));
    EXPECT_EQ(m_prompter.messages.first().caption, kApplicationTitle);
    // Nothing else is saved.
    EXPECT_EQ(entriesOf(m_appFolder), QStringList{"_Fennick.ini"});
    EXPECT_EQ(readBytes(m_appFolder + "_Fennick.ini"), "[ICON]\nICL=");
}

TEST_F(DesktopShortcutTest, TargetsAndIconsAreExpandedButTheLauncherStartsTheRealPath) {
    if (QStandardPaths::findExecutable("lnkinfo").isEmpty())
        GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    qputenv("FENNICK_TEST_FOLDER", "ビルド 1");
    m_appFolder = path("%FENNICK_TEST_FOLDER%/%UNSET_TEST_NAME%/");
    setAppFolderForTesting(m_appFolder);
    ASSERT_TRUE(createDesktopShortcut(RunMode::Copy, 5, m_prompter).ok());
    const QString expanded = path("ビルド 1/%UNSET_TEST_NAME%/");
    expectLink("バッチコピー5.lnk", expanded + m_executable, "/c5", expanded + "GLENDOR.icl", 0);
    const QByteArray launcher = readBytes(m_desktop + "/バッチコピー5.desktop");
    EXPECT_EQ(launcherCommand(launcher, "Desktop Entry"),
              QStringList({"env", m_appFolder + m_executable, "/c5"}));
    qunsetenv("FENNICK_TEST_FOLDER");

    // An application folder at the root gets no second separator.
    setAppFolderForTesting("/");
    ASSERT_TRUE(createDesktopShortcut(RunMode::Copy, 5, m_prompter).ok());
    expectLink("バッチコピー5.lnk", "/" + m_executable, "/c5", "/GLENDOR.icl", 0);

    // The link names the executable without its extension; the launcher
    // starts the file itself.
    ShortcutRequest request;
    request.appFolder = "/opt/app/";
    request.executableName = "Fennick.exe";
    request.desktopFolder = m_desktop;
    Produced<ShortcutFiles> composed = composeShortcutFiles(request, QProcessEnvironment());
    ASSERT_TRUE(composed.status.ok());
    const ShortcutFiles& files = composed.value;
    ASSERT_TRUE(writeBytes(files.linkPath, files.link));
    expectLink("バッチコピー0.lnk", "/opt/app/Fennick", "/c0", "/opt/app/GLENDOR.icl", 0);
    EXPECT_EQ(launcherCommand(files.launcher, "Desktop Entry"),
              QStringList({"env", "/opt/app/Fennick.exe", "/c0"}));

    // An installed program keeps its files elsewhere: its shortcuts start the
    // installed executable and name the icon theme's image.
    request.installedExecutable = "/usr/bin/fennick";
    request.appFolder = "/home/me/.config/fennick/";
    request.mode = RunMode::Move;
    composed = composeShortcutFiles(request, QProcessEnvironment());
    ASSERT_TRUE(composed.status.ok());
    ASSERT_TRUE(writeBytes(files.linkPath, files.link));
    expectLink("バッチ移動0.lnk", "/usr/bin/fennick", "/m0", request.appFolder + "GLENDOR.icl", 2);
    EXPECT_EQ(launcherCommand(files.launcher, "Desktop Action settings"),
              QStringList({"env", "FENNICK_SHIFT=1", "/usr/bin/fennick", "/m0"}));
    EXPECT_EQ(readLauncherGroups(files.launcher)->value("Desktop Entry").value("Icon"),
              "fennick-move");
}

TEST_F(DesktopShortcutTest, LaunchersAreExecutableAndShowTheRunModesImage) {
    // The build puts the images beside the program.
    setAppFolderForTesting(FENNICK_BUILD_FOLDER);
    for (const auto& [mode, stem] :
         {std::pair{RunMode::Copy, "バッチコピー1"}, std::pair{RunMode::Delete, "バッチ削除1"},
          std::pair{RunMode::Move, "バッチ移動1"}}) {
        ASSERT_TRUE(createDesktopShortcut(mode, 1, m_prompter).ok());
        const QString path = m_desktop + "/" + stem + ".desktop";
        struct stat status = {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0755u) << stem;
        const std::optional<LauncherGroups> groups = readLauncherGroups(readBytes(path));
        ASSERT_TRUE(groups);
        const QString icon = *unescapeValue(groups->value("Desktop Entry").value("Icon"));
        EXPECT_TRUE(readBytes(icon).startsWith("\x89PNG")) << icon.toStdString();
        EXPECT_EQ(groups->value("Desktop Action settings").value("Name"), "設定を開く");
    }
}

TEST_F(DesktopShortcutTest, ALinkInAShortcutsPlaceIsReplacedNeverFollowed) {
    const QString mine = path("mine.desktop");
    for (const char* entry : {"バッチコピー0.lnk", "バッチコピー0.desktop"}) {
        for (const QString& target : {mine, path("nothing")}) {
            ASSERT_TRUE(writeBytes(mine, "my own file"));
            ASSERT_EQ(chmod(QFile::encodeName(mine).constData(), 0600), 0);
            const QString place = m_desktop + "/" + entry;
            ASSERT_TRUE(QFile::link(target, place));
            ASSERT_TRUE(createDesktopShortcut(RunMode::Copy, 0, m_prompter).ok()) << entry;
            struct stat status = {};
            ASSERT_EQ(lstat(QFile::encodeName(place).constData(), &status), 0);
            EXPECT_TRUE(S_ISREG(status.st_mode)) << entry;
            EXPECT_EQ(status.st_mode & 07777, QString(entry).endsWith(".lnk") ? 0644u : 0755u);
            ASSERT_EQ(stat(QFile::encodeName(mine).constData(), &status), 0);
            EXPECT_EQ(status.st_mode & 07777, 0600u) << entry;
            EXPECT_EQ(readBytes(mine), "my own file") << entry;
            EXPECT_FALSE(QFileInfo::exists(path("nothing"))) << entry;
            EXPECT_EQ(entriesOf(m_desktop),
                      QStringList({"バッチコピー0.desktop", "バッチコピー0.lnk"}));
            QDir(m_desktop).removeRecursively();
            QDir().mkpath(m_desktop);
        }
    }
}

TEST_F(DesktopShortcutTest, AFailureIsShownAndLeavesNoFile) {
    const QString lead = "デスクトップにショートカットを作成できませんでした。\n";
    const QString missing = path("no desktop");
    const QString blocked = m_desktop + "/バッチコピー0.lnk";
    const QString badApp = path("a=b/");
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString message;
        QStringList left;
    };
    const std::vector<Case> cases = {
        {"missing desktop",
         [&] { qputenv("XDG_DESKTOP_DIR", missing.toUtf8()); },
         lead + "パスが見つかりません: " + missing,
         {}},
        {"folder in the way",
         [&] { QDir().mkpath(blocked); },
         lead + "ファイルではなくフォルダーです: " + blocked,
         {"バッチコピー0.lnk"}},
        {"program path with =",
         [&] { setAppFolderForTesting(badApp); },
         lead + "ファイル名が正しくありません: " + badApp + m_executable,
         {}},
    };
    for (const Case& c : cases) {
        arrangeFolders();
        c.arrange();
        FakePrompter prompter;
        EXPECT_FALSE(createDesktopShortcut(RunMode::Copy, 0, prompter).ok()) << c.what;
        EXPECT_EQ(prompter.messageTexts(), QStringList{c.message}) << c.what;
        EXPECT_EQ(entriesOf(m_desktop), c.left) << c.what;
        EXPECT_FALSE(QFileInfo::exists(missing));
        QDir(m_desktop).removeRecursively();
    }
}

} // namespace
