// Delete mode with [OPTION] Trash=1: files go to the desktop trash, never deleted for good.
// What other users and full disks do to the trash: shared_disk_trash_test.cpp.

#include "common/error_text.h"
#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <QTemporaryDir>

using namespace test_support;

namespace {

// GLib reads HOME and XDG_DATA_HOME once per process, so every test here shares one home.
class TrashTest : public TemporaryAppFolderTest {
  protected:
    TrashTest() : TemporaryAppFolderTest(QStringLiteral("app")) {}

    static void SetUpTestSuite() {
        s_home = new QTemporaryDir;
        qputenv("HOME", QFile::encodeName(s_home->path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(s_home->path() + "/data"));
    }
    static void TearDownTestSuite() { delete s_home; }

    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        QDir(homeTrash(QString())).removeRecursively();
    }

    QString source(const QString& name) {
        const QString file = path("src/" + name);
        EXPECT_TRUE(writeBytes(file, name.toUtf8()));
        return file;
    }

    // Runs the listed sources in the mode with the Trash value given.
    bool run(RunMode mode, const QStringList& sources, const QString& trash = "1",
             const QString& preview = QString()) {
        QByteArray list;
        for (const QString& file : sources)
            list += (path("out") + u',' + file + u'\n').toUtf8();
        EXPECT_TRUE(writeBytes(path("app/3copylist.txt"), list));
        QDir().mkpath(path("out"));
        RunSettings settings;
        settings.previewText = preview;
        settings.trashText = trash;
        RunLog log(runLogFilePath(), {QDateTime::currentDateTime(), mode, "3", QString()});
        JobRunner runner(m_prompter);
        runner.setLog(&log);
        return runner.run(mode, "3", settings, GetAppFolder());
    }

    static QString homeTrash(const QString& relative) {
        return s_home->path() + "/data/Trash/" + relative;
    }

    static inline QTemporaryDir* s_home = nullptr;
    FakePrompter m_prompter;
};

TEST_F(TrashTest, MakesTheHomeTrashWhenMissingAndLogsWhereEachFileWent) {
    const QString a = source("a.txt");
    EXPECT_TRUE(run(RunMode::Delete, {a}));
    source("a.txt");
    EXPECT_TRUE(run(RunMode::Delete, {a}));

    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(readBytes(homeTrash("files/a.txt")), "a.txt");
    EXPECT_EQ(readBytes(homeTrash("files/a.2.txt")), "a.txt");
    EXPECT_TRUE(readBytes(homeTrash("info/a.2.txt.trashinfo")).contains("Path=" + a.toUtf8()));
    const QByteArray log = readBytes(path("app/_Fennick.log"));
    EXPECT_TRUE(log.contains(("ごみ箱へ: " + a + " → " + homeTrash("files/a.txt\n")).toUtf8()));
    EXPECT_TRUE(log.contains(("ごみ箱へ: " + a + " → " + homeTrash("files/a.2.txt\n")).toUtf8()));
}

TEST_F(TrashTest, AFileThatCannotBeTrashedStopsTheRunAndStays) {
    // A home trash that cannot be made.
    const QString first = source("first.txt");
    const QString second = source("second.txt");
    ASSERT_TRUE(writeBytes(homeTrash(QString()).chopped(1), "a file where a folder belongs"));
    EXPECT_FALSE(run(RunMode::Delete, {first, second}));
    QFile::remove(homeTrash(QString()).chopped(1));
    EXPECT_EQ(
        m_prompter.messageTexts(),
        QStringList(
            "ごみ箱に移動できません（ごみ箱のフォルダーがあるべき場所にファイルがあります）: " +
            first + "\nジョブリストの 1 行目で停止しました（0 件処理済み）。"));
    EXPECT_TRUE(QFileInfo::exists(first) && QFileInfo::exists(second));

    // A read-only file is refused, as a delete for good refuses it.
    const QString readOnly = source("read-only.txt");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
    m_prompter.messages.clear();
    EXPECT_FALSE(run(RunMode::Delete, {readOnly}));
    EXPECT_TRUE(m_prompter.messageTexts().value(0).startsWith(
        describeError(ErrorKind::ReadOnlyFile, readOnly)));
    EXPECT_TRUE(QFileInfo::exists(readOnly));
    EXPECT_FALSE(QFileInfo::exists(homeTrash("files/read-only.txt")));
}

TEST_F(TrashTest, AsksInPreviewAndLeavesMovesAndOtherValuesAlone) {
    const QString yes = source("yes.txt");
    const QString no = source("no.txt");
    m_prompter.answers = {Answer::Yes, Answer::No};
    EXPECT_TRUE(run(RunMode::Delete, {yes, no}, "1", "1"));
    EXPECT_EQ(m_prompter.questionTexts(),
              QStringList({"yes.txtを削除します。", "no.txtを削除します。"}));
    EXPECT_TRUE(QFileInfo::exists(homeTrash("files/yes.txt")));
    EXPECT_TRUE(QFileInfo::exists(no));

    // A move deletes its copied source for good.
    EXPECT_TRUE(run(RunMode::Move, {no}));
    EXPECT_FALSE(QFileInfo::exists(no));
    EXPECT_FALSE(QFileInfo::exists(homeTrash("files/no.txt")));

    // 0 and nothing delete for good; any other value stops a delete run before it deletes.
    for (const char* off : {"0", ""}) {
        const QString file = source("off.txt");
        EXPECT_TRUE(run(RunMode::Delete, {file}, off));
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_FALSE(QFileInfo::exists(homeTrash("files/off.txt")));
    }
    for (const QString bad : {"2", "yes", "1.0"}) {
        const QString file = source("bad.txt");
        m_prompter.messages.clear();
        EXPECT_FALSE(run(RunMode::Delete, {file}, bad));
        EXPECT_TRUE(QFileInfo::exists(file)) << bad.toStdString();
        EXPECT_TRUE(
            m_prompter.messageTexts().value(0).contains("[OPTION] Trash の値「" + bad + "」"));
    }
}

} // namespace
