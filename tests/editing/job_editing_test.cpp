#include "editing/destination_folder.h"
#include "files/settings.h"
#include "support/file_helpers.h"
#include "support/window_test.h"

#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>

using namespace test_support;

namespace {

class JobEditingTest : public WindowTest {
  protected:
    void add(const QString& text) {
        box(0)->setText(text);
        click("Command1_0");
    }
};

TEST_F(JobEditingTest, AddAndDropAppendSelectedEntries) {
    add("");
    add("/src/a.txt");
    add("/src/a.txt");
    EXPECT_EQ(entries(), (QStringList{"", "/src/a.txt", "/src/a.txt"}));
    EXPECT_EQ(list()->selectedEntries(), entries());
    EXPECT_EQ(box(0)->text(), "");

    list()->item(0)->setSelected(false);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/drop/3.txt"), QUrl::fromLocalFile("/drop/1 日本.txt"),
                   QUrl::fromLocalFile("/drop/folder")});
    EXPECT_TRUE(list()->dropLocalFiles(&files));
    EXPECT_EQ(entries().mid(3), (QStringList{"/drop/3.txt", "/drop/1 日本.txt", "/drop/folder"}));
    EXPECT_EQ(list()->selectedEntries(), (QStringList{"/src/a.txt", "/src/a.txt", "/drop/3.txt",
                                                      "/drop/1 日本.txt", "/drop/folder"}));

    QMimeData text;
    text.setText("/drop/not-a-file.txt");
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.txt")});
    EXPECT_FALSE(list()->dropLocalFiles(&text));
    EXPECT_FALSE(list()->dropLocalFiles(&web));
    EXPECT_EQ(entries().size(), 6);
}

TEST_F(JobEditingTest, TheSourceBrowserFillsTheSourceBoxOnly) {
    m_dialogs.answers = {path("picked.txt"), QString()};
    click("Command1_1");
    EXPECT_EQ(box(0)->text(), path("picked.txt"));
    EXPECT_TRUE(entries().isEmpty());
    click("Command1_1");
    EXPECT_EQ(box(0)->text(), path("picked.txt")) << "a cancel keeps the text";
}

TEST_F(JobEditingTest, TheFolderBrowserStartsFromTheSourceFilesFolder) {
    ASSERT_TRUE(writeBytes(path("data/list.txt"), "x"));
    ASSERT_TRUE(writeBytes(path("data/page.html"), "x"));
    EXPECT_EQ(initialFolderFor(path("data/list.txt")), path("data/"));
    EXPECT_EQ(initialFolderFor(path("data/page.html")), path("data/page.html"));
    EXPECT_EQ(initialFolderFor(path("data/gone.txt")), path("data/gone.txt"));
    EXPECT_EQ(initialFolderFor(path("data")), path("data"));
    EXPECT_EQ(initialFolderFor(".tx"), ".tx");
    EXPECT_EQ(initialFolderFor(""), "");
}

TEST_F(JobEditingTest, AChosenFolderIsStoredForTheSelectedProfileAtOnce) {
    ASSERT_TRUE(writeBytes(path("_Fennick.ini"), "[SEND Folder]\r\nFolderName3=/three\r\n"));
    ASSERT_TRUE(writeBytes(path("data/list.txt"), "x"));
    click("Option2_5");
    box(0)->setText(path("data/list.txt"));
    m_dialogs.answers = {"/out/five"};
    click("Command1_2");
    EXPECT_EQ(m_dialogs.lastTitle, "設定ファイルの保存先フォルダを選択して下さい。");
    EXPECT_EQ(m_dialogs.lastFolder, path("data/"));
    EXPECT_EQ(box(1)->text(), "/out/five");
    EXPECT_EQ(GetIniValue("SEND Folder", "FolderName5"), "/out/five");
    EXPECT_EQ(GetIniValue("SEND Folder", "FolderName3"), "/three");

    // The last-used folder follows the browser, so the file picker opens there.
    m_dialogs.answers = {QString(), QString()};
    click("Command1_1");
    EXPECT_EQ(m_dialogs.lastFolder, "/out/five");

    // A cancel keeps the box and the stored folder, and empties the last-used folder.
    click("Command1_2");
    EXPECT_EQ(box(1)->text(), "/out/five");
    EXPECT_EQ(GetIniValue("SEND Folder", "FolderName5"), "/out/five");
    EXPECT_TRUE(m_prompter.messages.isEmpty());

    // A settings file that cannot be written is reported; the box keeps the folder.
    setAppFolderForTesting(path("missing"));
    m_dialogs.answers = {"/out/again"};
    click("Command1_2");
    EXPECT_EQ(box(1)->text(), "/out/again");
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.contains(path("missing/_Fennick.ini")));
}

TEST_F(JobEditingTest, SavesTheSelectedEntriesOrSaysWhyNot) {
    const QString jobList = path("0copylist.txt");
    add("/src/a.txt");
    add("/src/b.txt");
    add("/src/c, d.txt");
    list()->item(1)->setSelected(false);

    click("Command1_3");
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{"保存先のフォルダーを設定してください。"});
    EXPECT_FALSE(QFile::exists(jobList));

    m_prompter.messages.clear();
    box(1)->setText("/out");
    click("Command1_3");
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{"バッチコピーファイル作成完了"});
    EXPECT_EQ(readBytes(jobList), "/out/,/src/a.txt\r\n/out/,\"/src/c, d.txt\"\r\n");
    EXPECT_EQ(box(1)->text(), "/out") << "the separator goes into the file only";

    // An entry a job list cannot hold refuses the whole save.
    m_prompter.messages.clear();
    add("/src/say \"hi\".txt");
    click("Command1_3");
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.contains("/src/say \"hi\".txt"));
    EXPECT_EQ(readBytes(jobList), "/out/,/src/a.txt\r\n/out/,\"/src/c, d.txt\"\r\n");

    // A write that fails part-way keeps the old file.
    m_prompter.messages.clear();
    list()->item(3)->setSelected(false);
    add(QString(200, 'x'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    click("Command1_3");
    setrlimit(RLIMIT_FSIZE, &old);
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.startsWith("BATファイルを作成できませんでした。"));
    EXPECT_EQ(readBytes(jobList), "/out/,/src/a.txt\r\n/out/,\"/src/c, d.txt\"\r\n");
    EXPECT_EQ(entriesOf(m_folder.appFolder()), QStringList{"0copylist.txt"});

    // Nothing selected leaves an empty job.
    m_prompter.messages.clear();
    list()->clearSelection();
    click("Command1_3");
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{"バッチコピーファイル作成完了"});
    EXPECT_EQ(readBytes(jobList), "");
}

TEST_F(JobEditingTest, AJobBuiltInTheWindowRunsFromTheExecuteButton) {
    ASSERT_TRUE(writeBytes(path("src/a.txt"), "A"));
    ASSERT_TRUE(writeBytes(path("src/日本 語.txt"), "J"));
    QDir().mkpath(path("out"));
    click("Option2_9");
    click("Option1_2");
    QMimeData files;
    files.setUrls(
        {QUrl::fromLocalFile(path("src/a.txt")), QUrl::fromLocalFile(path("src/日本 語.txt"))});
    list()->dropLocalFiles(&files);
    m_dialogs.answers = {path("out")};
    click("Command1_2");
    click("Command1_3");
    ASSERT_TRUE(QFile::exists(path("9copylist.txt")));

    m_prompter.messages.clear();
    click("Command2");
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_EQ(readBytes(path("out/a.txt")), "A");
    EXPECT_EQ(readBytes(path("out/日本 語.txt")), "J");
    EXPECT_EQ(entriesOf(path("src")), QStringList{});
}

} // namespace
