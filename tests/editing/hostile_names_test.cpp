// File and folder names that look like syntax to some reader: each is saved from the window,
// loaded back by a profile click and run by the real program exactly as named, or refused with a
// message naming it, and no name ever adds a line to the settings file or a job list file.

#include "files/settings.h"
#include "support/app_sandbox.h"
#include "support/run_expectations.h"
#include "support/window_test.h"

#include <QMimeData>
#include <QUrl>

using namespace test_support;

namespace {

const QString kSaved = QStringLiteral("バッチコピーファイル作成完了");
const QString kNotStored = QStringLiteral("保存先フォルダーを設定ファイルに記録できませんでした。");
const QString kNotListable =
    QStringLiteral("ダブルクォーテーションや改行を含むパスはジョブリストに保存できません");

// Names that a job list and the settings file hold: commas, blanks at either end, tabs,
// percent and dollar references, backslashes, leading dashes, Japanese (full- and half-width),
// a Unicode line separator, text that looks like a settings line and what a URL escapes.
const QStringList kListableNames = {
    "a, b.txt",      " lead.txt", "trail.txt ",          "\ttabs\t",      "100%.txt",
    "%PATH%.txt",    "$HOME",     "$(touch x)",          "back\\slash\\", "-rf",
    "--help",        "-c3",       "日本語 ファイル.txt", "全角　",        "ﾊﾝｶｸ.txt",
    "line\u2028sep", "[MSG]",     "Preview=1",           "'quoted'",      ";,;",
    "#1 a%20b.txt",  "~",
};

class HostileNames : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }

    // The sandbox's application folder is the window's too.
    void SetUp() override { ASSERT_TRUE(m_sandbox.isValid()); }

    QLineEdit* box(int i) { return &findWidget<QLineEdit>(m_window, QString("Text1_%1").arg(i)); }
    void click(const QString& name) { findWidget<QAbstractButton>(m_window, name).click(); }
    void selectProfile(int profile) { click(QString("Option2_%1").arg(profile)); }
    FileListWidget& list() { return findWidget<FileListWidget>(m_window, "list_File"); }

    QStringList entries() {
        QStringList texts;
        for (int i = 0; i < list().count(); ++i)
            texts.append(list().item(i)->text());
        return texts;
    }

    // Files dragged in from the file manager.
    void drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        EXPECT_TRUE(list().dropLocalFiles(&data));
    }

    // The destination browse, answered with the folder.
    void browseDestination(const QString& folder) {
        m_dialogs.answers = {folder};
        click("Command1_2");
    }

    QStringList takeMessages() {
        const QStringList texts = m_prompter.messageTexts();
        m_prompter.messages.clear();
        return texts;
    }

    AppSandbox m_sandbox;
    QString m_settings = m_sandbox.appFolder() + QStringLiteral("_Fennick.ini");
    FakePrompter m_prompter;
    FakeFileDialogs m_dialogs;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;
    MainWindow m_window{m_prompter, m_dialogs, m_registry, m_starter};
};

QStringList sorted(QStringList names) {
    names.sort();
    return names;
}

TEST_F(HostileNames, RoundTripThroughSavingLoadingAndEveryRunMode) {
    // The folders' own names are as awkward as the files'.
    const QString src = m_sandbox.makeFolder(QStringLiteral("src $HOME %TEMP% \\ -x 元 "));
    const QString out = m_sandbox.makeFolder(QStringLiteral(" -out, 100% $USER\\出力 "));
    QStringList sources;
    for (const QString& name : kListableNames) {
        sources.append(src + u'/' + name);
        writeFile(sources.back(), name.toUtf8());
    }
    selectProfile(3);
    browseDestination(out);
    drop(sources);
    click("Command1_3");
    EXPECT_EQ(takeMessages(), QStringList{kSaved});

    // One line per entry, and the settings file holds the one key it was given.
    const QByteArray jobList = readBytes(m_sandbox.jobListPath(QStringLiteral("3")));
    EXPECT_EQ(jobList.count('\n'), kListableNames.size());
    EXPECT_EQ(jobList.count('\r'), kListableNames.size());
    EXPECT_EQ(readBytes(m_settings), "[SEND Folder]\nFolderName3=\"" + out.toUtf8() + "\"\n");

    // A profile click shows exactly what was saved.
    selectProfile(0);
    EXPECT_EQ(entries(), QStringList());
    selectProfile(3);
    EXPECT_EQ(entries(), sources);
    EXPECT_EQ(box(1)->text(), out);
    EXPECT_EQ(takeMessages(), QStringList());

    // The real program copies, deletes and moves each file under its own name.
    expectFinishedQuietly(m_sandbox.run({QStringLiteral("/c3")}));
    EXPECT_EQ(sorted(entriesOf(out)), sorted(kListableNames));
    for (const QString& name : kListableNames)
        EXPECT_EQ(readBytes(out + u'/' + name), name.toUtf8()) << name.toStdString();
    expectFinishedQuietly(m_sandbox.run({QStringLiteral("/d3")}));
    EXPECT_EQ(entriesOf(src), QStringList());
    EXPECT_EQ(sorted(entriesOf(out)), sorted(kListableNames));
    for (const QString& name : kListableNames)
        writeFile(src + u'/' + name, "moved " + name.toUtf8());
    expectFinishedQuietly(m_sandbox.run({QStringLiteral("/m3")}));
    EXPECT_EQ(entriesOf(src), QStringList());
    for (const QString& name : kListableNames)
        EXPECT_EQ(readBytes(out + u'/' + name), "moved " + name.toUtf8()) << name.toStdString();
}

TEST_F(HostileNames, WhatAJobListCannotHoldIsRefusedAndNothingIsWritten) {
    const QString src = m_sandbox.makeFolder(QStringLiteral("src"));
    const QString out = m_sandbox.makeFolder(QStringLiteral("out"));
    writeFile(src + QStringLiteral("/good.txt"), "good");
    browseDestination(out);
    drop({src + QStringLiteral("/good.txt")});
    click("Command1_3");
    ASSERT_EQ(takeMessages(), QStringList{kSaved});
    const QString jobListPath = m_sandbox.jobListPath(QStringLiteral("0"));
    const QByteArray savedJob = readBytes(jobListPath);

    // The save names the entry and writes nothing.
    const auto expectRefusedSave = [&](const QString& named) {
        click("Command1_3");
        const QStringList shown = takeMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown.front().contains(kNotListable) && shown.front().contains(named))
            << shown.front().toStdString();
        EXPECT_EQ(readBytes(jobListPath), savedJob);
    };
    for (const QString name : {"say \"hi\".txt", "\"", "two\nlines", "cr\rname", "\r\n"}) {
        SCOPED_TRACE(name.toStdString());
        writeFile(src + u'/' + name, "bad");
        drop({src + u'/' + name});
        expectRefusedSave(src + u'/' + name);
        list().item(list().count() - 1)->setSelected(false);
    }

    // A destination folder with a double quote is stored, but a job list cannot hold it.
    const QString quoted = m_sandbox.makeFolder(QStringLiteral("out \"q\""));
    browseDestination(quoted);
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(GetIniValue("SEND Folder", "FolderName0"), quoted);
    expectRefusedSave(quoted);

    // A folder name holding settings lines is not stored, and the settings file stays as it was.
    for (const char* name : {"x\n[MSG]\nPreview=1", "x\r[MSG]\rPreview=1", "x\r\nPreview=1"}) {
        SCOPED_TRACE(name);
        const QString folder = m_sandbox.makeFolder(QString::fromUtf8(name));
        const QByteArray settings = readBytes(m_settings);
        browseDestination(folder);
        const QStringList shown = takeMessages();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown.front().startsWith(kNotStored) && shown.front().endsWith(m_settings))
            << shown.front().toStdString();
        EXPECT_EQ(readBytes(m_settings), settings);
        EXPECT_EQ(GetIniValue("MSG", "Preview"), QString());
        // The box shows the folder chosen; saving with it is refused too.
        EXPECT_EQ(box(1)->text(), folder);
        expectRefusedSave(folder);
    }

    // The job runs as it was last saved.
    expectFinishedQuietly(m_sandbox.run({QStringLiteral("/c0")}));
    EXPECT_EQ(entriesOf(out), QStringList{"good.txt"});
}

} // namespace
