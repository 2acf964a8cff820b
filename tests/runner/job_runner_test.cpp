#include "files/app_folder.h"
#include "runner/job_runner.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <deque>

using namespace test_support;

namespace {

// What the message of a run that failed at a record ends with.
QString stoppedAt(int line, int done) {
    return QStringLiteral("\nジョブリストの %1 行目で停止しました（%2 件処理済み）。")
        .arg(line)
        .arg(done);
}

class JobRunnerTest : public TemporaryAppFolderTest {
  protected:
    JobRunnerTest() : TemporaryAppFolderTest(QStringLiteral("app")) {}

    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        QDir().mkpath(path(QStringLiteral("src")));
        QDir().mkpath(path(QStringLiteral("out")));
    }

    void writeJobList(const QString& profileText, const QStringList& lines) {
        ASSERT_TRUE(writeBytes(path(QStringLiteral("app/") + profileText + "copylist.txt"),
                               (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8()));
    }

    // A source file in src/ with its own name as content.
    QString source(const QString& name) {
        const QString file = path(QStringLiteral("src/") + name);
        EXPECT_TRUE(writeBytes(file, name.toUtf8()));
        return file;
    }

    bool run(RunMode mode, const QString& preview = QString(), const QString& profile = "3") {
        RunSettings settings;
        settings.previewText = preview;
        settings.completionTexts = {QStringLiteral("コピー完了"), QStringLiteral("削除完了"),
                                    QStringLiteral("移動完了")};
        JobRunner runner(m_prompter);
        return runner.run(mode, profile, settings, GetAppFolder());
    }

    FakePrompter m_prompter;
};

TEST_F(JobRunnerTest, CopiesEveryRecordInOrderKeepingTimesAndPermissions) {
    const QString a = source("a.txt");
    const QString japanese = source("日本語 ファイル.txt");
    const QString comma = source("x,y.txt");
    ASSERT_EQ(chmod(QFile::encodeName(a).constData(), 0640), 0);
    const QFileInfo before(a);
    // A destination without its final separator, and an old file that is replaced.
    ASSERT_TRUE(writeBytes(path("out/a.txt"), "old content that is longer"));
    writeJobList("3", {path("out") + "," + a, path("out/") + "," + japanese,
                       path("out/") + ",\"" + comma + "\""});

    EXPECT_TRUE(run(RunMode::Copy));

    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_EQ(readBytes(path("out/a.txt")), "a.txt");
    EXPECT_EQ(readBytes(path("out/日本語 ファイル.txt")), QString("日本語 ファイル.txt").toUtf8());
    EXPECT_EQ(readBytes(path("out/x,y.txt")), "x,y.txt");
    const QFileInfo copied(path("out/a.txt"));
    EXPECT_EQ(copied.lastModified(), before.lastModified());
    EXPECT_EQ(copied.permissions(), before.permissions());
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(entriesOf(path("out")).size(), 3) << "no temporary file is left";
}

TEST_F(JobRunnerTest, StopsAtTheFirstFailureAndKeepsWhatWasDone) {
    const QString first = source("first.txt");
    const QString third = source("third.txt");
    const QString missing = path("src/missing.txt");
    writeJobList(
        "3", {path("out") + "," + first, path("out") + "," + missing, path("out") + "," + third});

    EXPECT_FALSE(run(RunMode::Move, "1"));

    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません: ") +
                                                     missing + stoppedAt(2, 1)});
    EXPECT_EQ(m_prompter.messages.front().caption, kApplicationTitle);
    EXPECT_TRUE(QFileInfo::exists(path("out/first.txt")));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(third)) << "records after the failure are not processed";
    EXPECT_FALSE(QFileInfo::exists(path("out/third.txt")));
}

TEST_F(JobRunnerTest, ReportsTheJobListAndTheCompletionText) {
    // A missing job list names the file looked for.
    EXPECT_FALSE(run(RunMode::Copy, "1", "c"));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません: ") +
                                                     path("app/ccopylist.txt")});

    // An empty job list touches nothing; the completion text follows only in preview mode.
    ASSERT_TRUE(writeBytes(path("app/3copylist.txt"), QByteArray()));
    for (const char* on : {"1", "1.0", " 1 ", "+1"}) {
        m_prompter.messages.clear();
        EXPECT_TRUE(run(RunMode::Move, on));
        EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("移動完了")}) << on;
    }
    for (const char* off : {"", "0", "2", "1.5"}) {
        m_prompter.messages.clear();
        EXPECT_TRUE(run(RunMode::Copy, off));
        EXPECT_TRUE(m_prompter.messages.isEmpty()) << off;
    }
}

TEST_F(JobRunnerTest, APreviewThatIsNoNumberFailsAfterACopyAndBeforeADelete) {
    const QString a = source("a.txt");
    writeJobList("3", {path("out") + "," + a});

    EXPECT_FALSE(run(RunMode::Copy, "abc"));
    EXPECT_TRUE(QFileInfo::exists(path("out/a.txt")));
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.startsWith(QStringLiteral("型が一致しません")));
    EXPECT_TRUE(m_prompter.messages.front().text.endsWith(path("app/_Fennick.ini")));

    m_prompter.messages.clear();
    EXPECT_FALSE(run(RunMode::Delete, "abc"));
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(m_prompter.messages.size(), 1);
}

TEST_F(JobRunnerTest, NeverCopiesAFileOntoItself) {
    const QString a = source("a.txt");
    ASSERT_TRUE(QFile::link(path("src"), path("alias")));
    for (const QString& folder : {path("src"), path("alias/")}) {
        writeJobList("3", {folder + "," + a});
        for (RunMode mode : {RunMode::Copy, RunMode::Move}) {
            m_prompter.messages.clear();
            EXPECT_FALSE(run(mode));
            ASSERT_EQ(m_prompter.messages.size(), 1);
            EXPECT_TRUE(m_prompter.messages.front().text.startsWith(
                QStringLiteral("コピー元とコピー先が同じファイルです")));
            EXPECT_EQ(readBytes(a), "a.txt");
        }
    }
    EXPECT_EQ(entriesOf(path("src")), QStringList{"a.txt"});
}

TEST_F(JobRunnerTest, AMoveKeepsItsSourceWhenTheCopyFails) {
    const QString a = source("a.txt");
    writeJobList("3", {path("nowhere") + "," + a});
    EXPECT_FALSE(run(RunMode::Move));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("パスが見つかりません: ") +
                                                     path("nowhere") + stoppedAt(1, 0)});
    EXPECT_EQ(readBytes(a), "a.txt");

    // A pattern cannot be copied or moved, even when it matches.
    m_prompter.messages.clear();
    writeJobList("3", {path("out") + "," + path("src/*.txt")});
    EXPECT_FALSE(run(RunMode::Move));
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{QStringLiteral("ファイル名が正しくありません: ") + path("src/*.txt") +
                          stoppedAt(1, 0)});
    EXPECT_EQ(readBytes(a), "a.txt");
}

TEST_F(JobRunnerTest, MovesAcrossFileSystemsByCopyingFirst) {
    QTemporaryDir other(QStringLiteral("/dev/shm/fennick-test-XXXXXX"));
    struct stat here, there;
    if (!other.isValid() || stat(QFile::encodeName(m_folder.root()).constData(), &here) != 0 ||
        stat(QFile::encodeName(other.path()).constData(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    const QString a = source("a.txt");
    const QString b = source("b.txt");
    writeJobList("3", {other.path() + "," + a, other.path() + "," + b});
    EXPECT_TRUE(run(RunMode::Move));
    EXPECT_EQ(entriesOf(path("src")), QStringList());
    EXPECT_EQ(readBytes(other.path() + "/a.txt"), "a.txt");

    // A move back while the first move's source still waits to be deleted; the same source
    // twice, whose second move finds it gone.
    writeJobList("3", {path("src") + "," + other.path() + "/a.txt", other.path() + "," + a,
                       path("src") + "," + other.path() + "/b.txt",
                       path("src") + "," + other.path() + "/b.txt"});
    EXPECT_FALSE(run(RunMode::Move));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません: ") +
                                                     other.path() + "/b.txt" + stoppedAt(4, 3)});
    EXPECT_EQ(entriesOf(path("src")), QStringList{"b.txt"});
    EXPECT_EQ(entriesOf(other.path()), QStringList{"a.txt"});
    EXPECT_EQ(readBytes(other.path() + "/a.txt"), "a.txt");
    EXPECT_EQ(readBytes(b), "b.txt");
}

TEST_F(JobRunnerTest, DeletesPatternsWithoutPreview) {
    source("a.log");
    source("b.log");
    source("keep.txt");
    const QString single = source("single.txt");
    writeJobList("3", {path("src") + "," + path("src/*.log"), "/ignored," + single});
    EXPECT_TRUE(run(RunMode::Delete, "0"));
    EXPECT_EQ(entriesOf(path("src")), QStringList{"keep.txt"});

    writeJobList("3", {path("src") + "," + path("src/*.log")});
    EXPECT_FALSE(run(RunMode::Delete));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません: ") +
                                                     path("src/*.log") + stoppedAt(1, 0)});
}

TEST_F(JobRunnerTest, AsksBeforeEachDeleteInPreview) {
    source("b.log");
    source("a.log");
    const QString kept = source("kept.txt");
    writeJobList("3", {"/x," + path("src/*.log"), "/x," + kept, "/x," + path("src/missing.txt")});
    m_prompter.answers = {Answer::No, Answer::Yes, Answer::No, Answer::No};

    EXPECT_TRUE(run(RunMode::Delete, "1"));

    EXPECT_EQ(m_prompter.questionTexts(),
              (QStringList{"a.logを削除します。", "b.logを削除します。", "kept.txtを削除します。",
                           "を削除します。"}));
    EXPECT_EQ(m_prompter.questions.front().caption, QStringLiteral("削除"));
    EXPECT_EQ(entriesOf(path("src")), (QStringList{"a.log", "kept.txt"}));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("削除完了")});

    // Yes to a file that is not there takes the failure exit.
    m_prompter.messages.clear();
    m_prompter.answers = {Answer::No, Answer::No, Answer::Yes};
    EXPECT_FALSE(run(RunMode::Delete, "1"));
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません: ") +
                                                     path("src/missing.txt") + stoppedAt(3, 2)});
}

TEST_F(JobRunnerTest, ALineThatIsNoRecordStopsTheRun) {
    const QString a = source("a.txt");
    const QString b = source("b.txt");
    writeJobList("3", {path("out") + "," + a, b, path("out") + "," + b});
    EXPECT_FALSE(run(RunMode::Copy));
    EXPECT_TRUE(QFileInfo::exists(path("out/a.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("out/b.txt")));
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.contains(path("app/3copylist.txt")));
    EXPECT_TRUE(m_prompter.messages.front().text.contains(QStringLiteral("2 行目")));
    EXPECT_TRUE(m_prompter.messages.front().text.endsWith(stoppedAt(2, 1)));
}

TEST_F(JobRunnerTest, AFileWhoseNameHoldsWildcardsIsThatFileAlone) {
    const QString literal = source("a?.txt");
    source("ab.txt");
    const QString star = source("b*.txt");
    source("bc.txt");
    writeJobList("3", {path("out") + "," + star});
    EXPECT_TRUE(run(RunMode::Copy));
    EXPECT_EQ(entriesOf(path("out")), QStringList{"b*.txt"});

    writeJobList("3", {"/x," + literal, "/x," + star});
    EXPECT_TRUE(run(RunMode::Delete));
    EXPECT_EQ(entriesOf(path("src")), (QStringList{"ab.txt", "bc.txt"}));
}

// Two sources with one name never replace each other within a run, in
// whatever spelling the target is reached; the same source listed twice, or
// a file that was there before the run, is replaced as usual.
TEST_F(JobRunnerTest, NeverReplacesWhatTheRunWroteFromAnotherSource) {
    ASSERT_TRUE(QFile::link(path("out"), path("alias")));
    const QString first = path("src/a/x.txt"), second = path("src/b/x.txt");
    for (RunMode mode : {RunMode::Copy, RunMode::Move}) {
        for (const QString& secondFolder : {path("out"), path("alias")}) {
            QDir(path("out")).removeRecursively();
            QDir().mkpath(path("out"));
            ASSERT_TRUE(writeBytes(first, "first") && writeBytes(second, "second"));
            writeJobList("3", {path("out") + "," + first, secondFolder + "," + second});
            m_prompter.messages.clear();
            EXPECT_FALSE(run(mode));
            EXPECT_EQ(
                m_prompter.messageTexts(),
                QStringList{QStringLiteral("同じ名前のファイルをこの実行で既に別のファイルから"
                                           "書き込んでいます: ") +
                            secondFolder + "/x.txt" + stoppedAt(2, 1)});
            EXPECT_EQ(readBytes(path("out/x.txt")), "first");
            EXPECT_EQ(readBytes(second), "second") << "the second source is kept";
        }
    }

    ASSERT_TRUE(writeBytes(first, "first"));
    writeJobList("3", {path("out") + "," + first, path("alias") + "," + first});
    m_prompter.messages.clear();
    EXPECT_TRUE(run(RunMode::Copy));
    EXPECT_TRUE(run(RunMode::Copy)) << "the copies of an earlier run are replaced";
    EXPECT_TRUE(m_prompter.messages.isEmpty());
}

// A read-only file (no write permission bit, root included) is neither
// deleted nor replaced, and a read-only source is not moved.
TEST_F(JobRunnerTest, LeavesReadOnlyFilesAlone) {
    const QString locked = source("locked.txt");
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0444), 0);
    const QString readOnly = QStringLiteral("読み取り専用のファイルです: ");
    struct Case {
        RunMode mode;
        QString line, preview, failing;
        std::deque<Answer> answers;
    };
    const Case cases[] = {
        {RunMode::Delete, path("out") + "," + locked, "0", locked, {}},
        {RunMode::Delete, path("out") + "," + path("src/*.txt"), "0", locked, {}},
        {RunMode::Delete, path("out") + "," + locked, "1", locked, {Answer::Yes}},
        {RunMode::Move, path("out") + "," + locked, "0", locked, {}},
        {RunMode::Copy, path("out") + "," + locked, "0", QString(), {}},
        {RunMode::Copy, path("out") + "," + locked, "0", path("out/locked.txt"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        writeJobList("3", {c.line});
        m_prompter.messages.clear();
        m_prompter.answers = c.answers;
        EXPECT_EQ(run(c.mode, c.preview), c.failing.isEmpty());
        const QStringList expected = c.failing.isEmpty()
                                         ? QStringList()
                                         : QStringList{readOnly + c.failing + stoppedAt(1, 0)};
        EXPECT_EQ(m_prompter.messageTexts(), expected);
        EXPECT_EQ(readBytes(locked), "locked.txt");
    }
    EXPECT_EQ(entriesOf(path("out")), QStringList{"locked.txt"})
        << "the first copy is the only one";
}

TEST_F(JobRunnerTest, APatternLeavesHiddenFilesUnlessItNamesThem) {
    source(".hidden");
    source("seen");
    writeJobList("3", {path("out") + "," + path("src/*")});
    EXPECT_TRUE(run(RunMode::Delete));
    EXPECT_EQ(entriesOf(path("src")), QStringList{".hidden"});
    writeJobList("3", {path("out") + "," + path("src/.*")});
    EXPECT_TRUE(run(RunMode::Delete));
    EXPECT_EQ(entriesOf(path("src")), QStringList());
}

// No answer is never taken for No: the run stops, and what was done stays.
TEST_F(JobRunnerTest, AQuestionWithoutAnAnswerStopsTheRun) {
    source("a.log");
    source("b.log");
    writeJobList("3", {path("out") + "," + path("src/*.log")});
    m_prompter.answers = {Answer::Yes, Answer::None};
    EXPECT_FALSE(run(RunMode::Delete, "1"));
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{QStringLiteral("確認に応答がなかったため、実行を中止しました: ") +
                          path("src/b.log") + stoppedAt(1, 0)});
    EXPECT_EQ(entriesOf(path("src")), QStringList{"b.log"});
}

} // namespace
