#include "support/file_helpers.h"
#include "support/window_test.h"

#include <QApplication>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace test_support;

namespace {

class MainWindowTest : public WindowTest {
  protected:
    QLineEdit* destinationBox() { return box(1); }
    QRadioButton* profileButton(int i) { return find<QRadioButton>(QString("Option2_%1").arg(i)); }
    QRadioButton* modeButton(int i) { return find<QRadioButton>(QString("Option1_%1").arg(i)); }

    QList<bool> selections() {
        QList<bool> selected;
        for (int i = 0; i < list()->count(); ++i)
            selected.append(list()->item(i)->isSelected());
        return selected;
    }

    void writeProfile(int profile, const QString& folderName, const QStringList& sources) {
        QByteArray ini = "[SEND Folder]\r\n";
        if (!folderName.isEmpty())
            ini += "FolderName" + QByteArray::number(profile) + "=" + folderName.toUtf8() + "\r\n";
        ASSERT_TRUE(writeBytes(path("_Fennick.ini"), ini));
        QByteArray records;
        for (const QString& source : sources)
            records += "/records/folder/,\"" + source.toUtf8() + "\"\r\n";
        ASSERT_TRUE(writeBytes(path(QString::number(profile) + "copylist.txt"), records));
    }
};

TEST_F(MainWindowTest, OpensOnCopyAndProfileZeroWithTheFileListFocused) {
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    EXPECT_EQ(m_window.windowTitle(), "FENNICK設定");
    EXPECT_EQ(m_window.selectedProfile(), 0);
    EXPECT_EQ(m_window.selectedMode(), RunMode::Copy);
    EXPECT_TRUE(list()->hasFocus());
    EXPECT_EQ(list()->accessibleName(), "ファイルリスト");
    EXPECT_EQ(destinationBox()->accessibleName(), "保存先フォルダー（削除の場合は無視）");
    for (QPushButton* button : m_window.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault())
            << button->objectName().toStdString();

    // The two groups are independent of each other.
    modeButton(2)->click();
    profileButton(7)->click();
    EXPECT_EQ(m_window.selectedMode(), RunMode::Move);
    EXPECT_EQ(m_window.selectedProfile(), 7);
    modeButton(1)->click();
    EXPECT_EQ(m_window.selectedProfile(), 7);
    EXPECT_EQ(m_window.selectedMode(), RunMode::Delete);

    // Resizing moves nothing.
    const QRect listPlace = list()->geometry();
    const QRect executePlace = find<QPushButton>("Command2")->geometry();
    m_window.resize(m_window.width() * 2, m_window.height() * 2);
    EXPECT_EQ(list()->geometry(), listPlace);
    EXPECT_EQ(find<QPushButton>("Command2")->geometry(), executePlace);
}

TEST_F(MainWindowTest, AProfileClickShowsTheStoredProfile) {
    writeProfile(4, "/settings/folder", {"/src/a.txt", "/src/b, c.txt", "/src/日本.txt"});
    // The folder from the settings is shown, not the one in the records.
    profileButton(4)->click();
    EXPECT_EQ(destinationBox()->text(), "/settings/folder");
    EXPECT_EQ(entries(), (QStringList{"/src/a.txt", "/src/b, c.txt", "/src/日本.txt"}));
    EXPECT_EQ(selections(), (QList<bool>{true, true, true}));

    // A click toggles one entry and leaves the others.
    const QRect second = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(selections(), (QList<bool>{true, false, true}));
    // A click on the profile already selected keeps the edits.
    profileButton(4)->click();
    EXPECT_EQ(selections(), (QList<bool>{true, false, true}));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(selections(), (QList<bool>{true, true, true}));

    // No key and no file: both empty. A key without a file: the folder only.
    profileButton(5)->click();
    EXPECT_EQ(destinationBox()->text(), "");
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_TRUE(writeBytes(path("_Fennick.ini"), "[SEND Folder]\nFolderName6=/only/folder\n"));
    profileButton(6)->click();
    EXPECT_EQ(destinationBox()->text(), "/only/folder");
    EXPECT_TRUE(entries().isEmpty());

    // A job list that is no list shows what could be read, silently.
    ASSERT_TRUE(
        writeBytes(path("7copylist.txt"), "/o/,/src/first\r\nbroken line\r\n/o/,/src/x\r\n"));
    profileButton(7)->click();
    EXPECT_EQ(entries(), QStringList{"/src/first"});
    EXPECT_TRUE(m_prompter.messages.isEmpty());
}

TEST_F(MainWindowTest, TheInteractiveStartPresetsModeAndProfile) {
    writeProfile(3, "/three", {"/src/3.txt"});
    EXPECT_TRUE(m_window.startInteractive("/d3"));
    EXPECT_EQ(m_window.selectedMode(), RunMode::Delete);
    EXPECT_EQ(m_window.selectedProfile(), 3);
    EXPECT_EQ(entries(), QStringList{"/src/3.txt"});
    EXPECT_EQ(destinationBox()->text(), "/three");

    struct Case {
        const char* argument;
        RunMode mode;
        int profile;
    };
    for (const Case& c : {Case{"/x5", RunMode::Copy, 5}, Case{"xd5", RunMode::Delete, 5},
                          Case{"/M0", RunMode::Move, 0}, Case{"", RunMode::Copy, 0}}) {
        FakePrompter prompter;
        MainWindow window(prompter, m_dialogs, m_registry, m_starter);
        EXPECT_TRUE(window.startInteractive(c.argument)) << c.argument;
        EXPECT_EQ(window.selectedMode(), c.mode) << c.argument;
        EXPECT_EQ(window.selectedProfile(), c.profile) << c.argument;
    }

    MainWindow refused(m_prompter, m_dialogs, m_registry, m_starter);
    EXPECT_FALSE(refused.startInteractive("/c"));
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.startsWith("型が一致しません"));
}

TEST_F(MainWindowTest, ProfileZeroIsLoadedOnceAndItsErrorsAreShown) {
    writeProfile(0, "/zero", {"/src/a.txt", "/src/b.txt"});
    EXPECT_TRUE(m_window.startInteractive("/c0"));
    EXPECT_EQ(entries(), (QStringList{"/src/a.txt", "/src/b.txt"}));
    EXPECT_EQ(destinationBox()->text(), "/zero");
    EXPECT_TRUE(m_prompter.messages.isEmpty());

    // An unreadable job list is reported, and the window opens with what was read.
    ASSERT_TRUE(writeBytes(path("0copylist.txt"), "/o/,/src/first\r\nno record\r\n"));
    FakePrompter prompter;
    MainWindow window(prompter, m_dialogs, m_registry, m_starter);
    EXPECT_TRUE(window.startInteractive(""));
    EXPECT_EQ(findWidget<QListWidget>(window, "list_File").count(), 1);
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages.front().text.contains(path("0copylist.txt")));
}

TEST_F(MainWindowTest, TheExecuteButtonRunsTheSelectedProfileAndComesBack) {
    ASSERT_TRUE(writeBytes(path("src/a.txt"), "a"));
    ASSERT_TRUE(
        writeBytes(path("4copylist.txt"), ("/unused/," + path("src/a.txt") + "\r\n").toUtf8()));
    modeButton(1)->click();
    profileButton(4)->click();

    // Without a destination folder nothing runs, even in delete mode.
    find<QPushButton>("Command2")->click();
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{"BATファイルを作成してから実行してください。"});
    EXPECT_TRUE(QFile::exists(path("src/a.txt")));

    // A blank is a destination; the run deletes and the list stays as it was.
    m_prompter.messages.clear();
    destinationBox()->setText(" ");
    find<QPushButton>("Command2")->click();
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(path("src/a.txt")));
    EXPECT_EQ(entries(), QStringList{path("src/a.txt")});

    // A failing run shows why and leaves the window as it was.
    find<QPushButton>("Command2")->click();
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{"ファイルが見つかりません: " + path("src/a.txt") +
                          "\nジョブリストの 1 行目で停止しました（0 件処理済み）。"});
    EXPECT_EQ(entries(), QStringList{path("src/a.txt")});
    EXPECT_EQ(destinationBox()->text(), " ");
    EXPECT_EQ(m_window.selectedMode(), RunMode::Delete);

    // A settings file that cannot be read stops the run before any file is touched.
    ASSERT_TRUE(writeBytes(path("src/a.txt"), "a"));
    ASSERT_TRUE(QDir().mkdir(path("_Fennick.ini")));
    m_prompter.messages.clear();
    find<QPushButton>("Command2")->click();
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.endsWith(path("_Fennick.ini")));
    EXPECT_TRUE(QFile::exists(path("src/a.txt")));
}

TEST_F(MainWindowTest, TheShortcutButtonMakesAShortcutForTheSelectedModeAndProfile) {
    const QString desktop = path("desktop");
    QDir().mkpath(desktop);
    qputenv("XDG_DESKTOP_DIR", desktop.toUtf8());
    modeButton(1)->click();
    profileButton(9)->click();
    click("Command3");
    qunsetenv("XDG_DESKTOP_DIR");
    EXPECT_EQ(entriesOf(desktop), (QStringList{"バッチ削除9.desktop", "バッチ削除9.lnk"}));
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.startsWith(
        "デスクトップにショートカットを作成しました。"));
}

TEST_F(MainWindowTest, TheAboutButtonShowsOneDialogThatOutlivesTheClosedWindow) {
    QPointer<QWidget> about;
    {
        MainWindow window(m_prompter, m_dialogs, m_registry, m_starter);
        window.show();
        findWidget<QAbstractButton>(window, "Command4").click();
        findWidget<QAbstractButton>(window, "Command4").click();
        QList<QWidget*> dialogs;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "frmAbout")
                dialogs.append(widget);
        ASSERT_EQ(dialogs.size(), 1);
        about = dialogs.front();
        window.close();
        EXPECT_TRUE(about->isVisible());
    }
    // The window that owned it has ended, and the dialog with it.
    EXPECT_TRUE(about.isNull());
}

} // namespace
