// Delete mode with [OPTION] Trash=1: files go to the desktop trash, never deleted for good.

#include "common/error_text.h"
#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "copier/trash.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/small_tmpfs.h"
#include "support/temporary_app_folder.h"

#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>

using namespace test_support;

namespace {

class TrashTest : public TemporaryAppFolderTest {
  protected:
    TrashTest() : TemporaryAppFolderTest(QStringLiteral("app")) {}

    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        m_oldHome = qgetenv("HOME");
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_oldCurrent = QDir::currentPath();
        qputenv("HOME", QFile::encodeName(path("home")));
        qunsetenv("XDG_DATA_HOME");
        QDir().mkpath(path("home"));
        QDir().mkpath(path("current"));
        QDir::setCurrent(path("current"));
    }
    void TearDown() override {
        QDir::setCurrent(m_oldCurrent);
        qputenv("HOME", m_oldHome);
        if (m_oldDataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_oldDataHome);
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

    QString homeTrash(const QString& relative) const {
        return path("home/.local/share/Trash/") + relative;
    }

    FakePrompter m_prompter;
    QByteArray m_oldHome;
    QByteArray m_oldDataHome;
    QString m_oldCurrent;
};

TEST_F(TrashTest, MakesTheHomeTrashWhenMissingAndKeepsWhatRestoresTheFile) {
    // No ~/.local/share at all: the trash is made there, never in the current folder.
    const QString a = source("a.txt");
    EXPECT_TRUE(run(RunMode::Delete, {a}));

    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(readBytes(homeTrash("files/a.txt")), "a.txt");
    EXPECT_TRUE(readBytes(homeTrash("info/a.txt.trashinfo")).contains("Path=" + a.toUtf8()));
    EXPECT_EQ(entriesOf(path("current")), QStringList());
    EXPECT_TRUE(readBytes(path("app/_Fennick.log"))
                    .contains(("ごみ箱へ: " + a + " → " + homeTrash("files/a.txt")).toUtf8()));

    // XDG_DATA_HOME names where the home trash lies; a second file of the name gets a new one.
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    source("a.txt");
    EXPECT_TRUE(run(RunMode::Delete, {a}));
    EXPECT_EQ(readBytes(path("data/Trash/files/a.txt")), "a.txt");
    source("a.txt");
    EXPECT_TRUE(run(RunMode::Delete, {a}));
    EXPECT_EQ(entriesOf(path("data/Trash/info")).size(), 2);
}

TEST_F(TrashTest, AFileThatCannotBeTrashedStopsTheRunAndStays) {
    // A home trash that cannot be made, and a name too long for its .trashinfo.
    const QString first = source("first.txt");
    const QString second = source("second.txt");
    ASSERT_TRUE(writeBytes(path("home/.local"), "a file where a folder belongs"));
    EXPECT_FALSE(run(RunMode::Delete, {first, second}));
    ASSERT_EQ(m_prompter.messageTexts().size(), 1);
    EXPECT_TRUE(m_prompter.messageTexts()[0].startsWith("ごみ箱に移動できません"));
    EXPECT_TRUE(m_prompter.messageTexts()[0].endsWith(
        first + "\nジョブリストの 1 行目で停止しました（0 件処理済み）。"));
    EXPECT_TRUE(QFileInfo::exists(first) && QFileInfo::exists(second));
    EXPECT_EQ(entriesOf(path("current")), QStringList());

    QFile::remove(path("home/.local"));
    const QString longName = source(QString(250, u'n'));
    EXPECT_FALSE(run(RunMode::Delete, {longName}));
    EXPECT_TRUE(QFileInfo::exists(longName));

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

TEST_F(TrashTest, AFileOnAnotherFileSystemGoesToTheTrashAtItsTop) {
    SmallTmpfs other(path("other"), "size=1m");
    if (!other.isMounted())
        GTEST_SKIP() << other.whyNot();
    const QString file = path("other/b.txt");
    ASSERT_TRUE(writeBytes(file, "b"));
    EXPECT_TRUE(run(RunMode::Delete, {file}));
    const QString trash = path("other/.Trash-") + QString::number(getuid());
    EXPECT_EQ(readBytes(trash + "/files/b.txt"), "b");
    EXPECT_TRUE(QFileInfo::exists(trash + "/info/b.txt.trashinfo"));
    EXPECT_FALSE(QFileInfo::exists(homeTrash("files/b.txt")));

    // Full: the file stays where it is, rather than reach the trash without its .trashinfo.
    const QString c = path("other/c.txt");
    ASSERT_TRUE(writeBytes(c, "c"));
    ASSERT_TRUE(other.fillWith("filler"));
    EXPECT_FALSE(run(RunMode::Delete, {c}));
    EXPECT_TRUE(QFileInfo::exists(c));
}

TEST_F(TrashTest, AFileWhoseTrashInfoCannotBeWrittenIsPutBack) {
    const QString a = source("a.txt");
    // Files can be made but not written: the .trashinfo stays empty.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const struct rlimit none = {0, old.rlim_max};
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    QString pathInTrash;
    const Result trashed = moveToTrash(a, pathInTrash);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(trashed.ok());
    EXPECT_EQ(readBytes(a), "a.txt");
    EXPECT_EQ(entriesOf(homeTrash("files")), QStringList());
    EXPECT_EQ(entriesOf(homeTrash("info")), QStringList());
}

TEST(TrashFolders, OnlyTheFilesFolderOfATrashCounts) {
    const QString uid = QString::number(getuid());
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const std::pair<QString, bool> cases[] = {
        {home + "/Trash/files/a.txt", true},
        {"/mnt/disk/.Trash-" + uid + "/files/a.txt", true},
        {"/mnt/disk/.Trash/" + uid + "/files/a.txt", true},
        {"./files/a.txt", false},
        {"/tmp/work/files/a.txt", false},
        {"/mnt/disk/Trash/files/a.txt", false},
        {"/mnt/disk/.Trash-" + uid + "/info/a.txt", false},
        {"/mnt/disk/.Trash/" + uid + "x/files/a.txt", false},
    };
    for (const auto& [path, inTrash] : cases)
        EXPECT_EQ(liesInTrash(path), inTrash) << path.toStdString();
}

} // namespace
