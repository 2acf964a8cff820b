// The run log: what each run did, line by line, and its size kept in bounds.

#include "common/escaped_text.h"
#include "copier/copy_progress.h"
#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "runner/execute_job.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "runner/run_monitor.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/small_tmpfs.h"
#include "support/temporary_app_folder.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using namespace test_support;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(9, 30, 5), QTimeZone(9 * 3600));

class RunLogTest : public TemporaryAppFolderTest {
  protected:
    RunLogTest() : TemporaryAppFolderTest(QStringLiteral("app")) {}

    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        QDir().mkpath(path("out"));
    }

    QString source(const QString& name) {
        const QString file = path("src/" + name);
        EXPECT_TRUE(writeBytes(file, name.toUtf8()));
        return file;
    }

    void writeJobList(const QStringList& lines) {
        ASSERT_TRUE(writeBytes(path("app/3copylist.txt"), (lines.join("\n") + "\n").toUtf8()));
    }

    bool run(RunMode mode, const QString& preview = QString(), CopyProgress* progress = nullptr,
             FakePrompter* prompter = nullptr) {
        RunSettings settings;
        settings.previewText = preview;
        RunLog log(runLogFilePath(), {kStart, mode, "3", "/x3"});
        JobRunner runner(prompter ? *prompter : m_prompter);
        runner.setLog(&log);
        runner.setCopyProgress(progress);
        return runner.run(mode, "3", settings, GetAppFolder());
    }

    void startAfresh() {
        QFile::remove(path("app/_Fennick.log"));
        m_prompter.messages.clear();
    }

    QStringList logLines() const {
        return QString::fromUtf8(readBytes(path("app/_Fennick.log"))).split('\n');
    }

    FakePrompter m_prompter;
};

TEST_F(RunLogTest, TellsWhatEachRecordDidAndWhereTheRunStopped) {
    const QString a = source("a.txt");
    const QString b = source("b.txt");
    writeJobList(
        {path("out") + ',' + a, path("out") + ',' + b, path("out") + ',' + path("src/gone")});
    EXPECT_FALSE(run(RunMode::Move));

    source("x.log");
    source("y.log");
    source("z\nw.log");
    writeJobList({path("out") + ',' + path("src/*.log"), path("out") + ',' + source("c.txt")});
    m_prompter.answers = {Answer::Yes, Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_TRUE(run(RunMode::Delete, "1"));

    const QString notFound = QStringLiteral("ファイルが見つかりません: ") + path("src/gone");
    EXPECT_EQ(
        logLines(),
        QStringList({
            "==== 2026-12-07T09:30:05+09:00 移動 プロファイル 3 起動引数 /x3",
            "1 行目 移動: " + a + " → " + path("out/a.txt"),
            "2 行目 移動: " + b + " → " + path("out/b.txt"),
            "3 行目 失敗: " + notFound,
            "---- 3 行目で中止: " + notFound,
            "==== 2026-12-07T09:30:05+09:00 削除 プロファイル 3 起動引数 /x3",
            "1 行目 削除: " + path("src/x.log") + "（" + path("src/*.log") + " に一致）",
            "1 行目 スキップ（いいえ）: " + path("src/y.log"),
            "1 行目 削除: " + path("src/z\\x0aw.log") + "（" + path("src/*.log") + " に一致）",
            "2 行目 削除: " + path("src/c.txt"),
            "---- 終了: 2 件",
            "",
        }));
}

TEST_F(RunLogTest, ARunThatStopsOutsideARecordNamesNoLine) {
    EXPECT_FALSE(run(RunMode::Copy));
    EXPECT_EQ(logLines().value(1),
              QStringLiteral("---- 中止: ファイルが見つかりません: ") + path("app/3copylist.txt"));
}

TEST_F(RunLogTest, ACancelledRunSaysWhere) {
    struct Cancel : CopyProgress {
        bool fileCopyAdvanced(qint64, qint64) override { return false; }
    } cancel;
    writeJobList({path("out") + ',' + source("a.txt")});
    EXPECT_FALSE(run(RunMode::Copy, QString(), &cancel));
    EXPECT_EQ(logLines().mid(1), QStringList({"1 行目 キャンセル", "---- 1 行目でキャンセル", ""}));
}

// The log's lines are written in blocks; whatever the user is shown or asked
// is preceded by every line before it, and the run's end writes the rest.
TEST_F(RunLogTest, LinesAreInTheLogBeforeEachQuestionAndMessage) {
    struct LogReadingPrompter : FakePrompter {
        QString log;
        QStringList seen; // the log's last record line at each question or message
        QString lastRecordLine() const {
            const QStringList records =
                QString::fromUtf8(readBytes(log)).split('\n').filter(" 行目 ");
            return records.value(records.size() - 1);
        }
        Answer askYesNo(const QString& text, const QString& caption) override {
            seen.append(lastRecordLine());
            return FakePrompter::askYesNo(text, caption);
        }
        void showMessage(const QString& text, const QString& caption) override {
            seen.append(lastRecordLine());
            FakePrompter::showMessage(text, caption);
        }
    } prompter;
    prompter.log = path("app/_Fennick.log");
    prompter.answers = {Answer::Yes, Answer::No, Answer::Yes};
    const QString a = source("a.txt"), b = source("b.txt"), c = source("c.txt");
    writeJobList({path("out") + ',' + a, path("out") + ',' + b, path("out") + ',' + c});
    EXPECT_TRUE(run(RunMode::Delete, "1", nullptr, &prompter));
    EXPECT_EQ(prompter.seen, QStringList({"", "1 行目 削除: " + a,
                                          "2 行目 スキップ（いいえ）: " + b, "3 行目 削除: " + c}));
    EXPECT_EQ(logLines().value(4), "---- 終了: 3 件");
}

// A run killed in the middle leaves the lines of the blocks written so far:
// whole lines, in order, with nothing glued or broken.
TEST_F(RunLogTest, AKilledRunLeavesWholeLinesInOrder) {
    const QString logPath = path("app/_Fennick.log");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RunLog log(logPath, {kStart, RunMode::Copy, "3", "/c3"});
        for (int line = 1; line <= 5000; ++line) {
            log.recordStarting(line);
            log.transferred(RunMode::Copy, QString(30, 'a'), "b");
        }
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const QByteArray text = readBytes(logPath);
    ASSERT_TRUE(text.endsWith('\n'));
    const QList<QByteArray> lines = text.chopped(1).split('\n');
    EXPECT_TRUE(lines.value(0).startsWith("==== "));
    EXPECT_GT(lines.size(), 1000); // blocks of at most 64 KiB went out as the run went
    for (int line = 1; line < lines.size(); ++line)
        EXPECT_EQ(lines[line],
                  QByteArray::number(line) + " 行目 コピー: " + QByteArray(30, 'a') + " → b");
}

// Moves onto another file system delete their sources in a batch; when the run stops, the
// finished part is completed first so that the log and the count are true. A source replaced
// (renamed over, so a new inode) while its move waits stays, and so do the sources after it.
TEST_F(RunLogTest, AStoppedMoveBatchCompletesWhatWasDoneFirst) {
    const SmallTmpfs far(path("far"), "size=8m");
    if (!far.isMounted())
        GTEST_SKIP() << far.whyNot();
    // Acts while the 10-byte file is copied: replaces b.txt, or cancels the run.
    struct AtTheLongerFile : CopyProgress {
        QString replaced;
        bool cancel = false;
        bool fileCopyAdvanced(qint64, qint64 total) override {
            if (total == 10 && !replaced.isEmpty()) {
                const QByteArray path = QFile::encodeName(std::exchange(replaced, {}));
                EXPECT_TRUE(writeBytes(path + ".new", "new"));
                EXPECT_EQ(::rename(path + ".new", path.constData()), 0);
            }
            return total != 10 || !cancel;
        }
    };
    const auto moved = [&](const char* name) {
        return "移動: " + path("src/") + name + " → " + path("far/") + name;
    };
    const QString notFound = "ファイルが見つかりません: " + path("src/gone");
    const QString changed =
        "移動を待つ間に移動元のファイルが置き換えられたため、削除しませんでした: " +
        path("src/b.txt");
    const struct {
        const char* what;
        QString failing; // the third record, when it is not longer.txt
        bool replaceB, cancel;
        QStringList log, sourcesLeft, copies;
        QString message;
    } cases[] = {
        {"a missing source",
         "gone",
         false,
         false,
         {"1 行目 " + moved("a.txt"), "2 行目 " + moved("b.txt"), "3 行目 失敗: " + notFound,
          "---- 3 行目で中止: " + notFound},
         {"longer.txt"},
         {"a.txt", "b.txt"},
         notFound + "\nジョブリストの 3 行目で停止しました（2 件処理済み）。"},
        {"a source replaced while its move waits",
         {},
         true,
         false,
         {"1 行目 " + moved("a.txt"), "2 行目 失敗: " + changed, "---- 2 行目で中止: " + changed},
         {"b.txt", "longer.txt"},
         {"a.txt", "b.txt", "longer.txt"},
         changed + "\nジョブリストの 2 行目で停止しました（1 件処理済み）。"},
        {"cancelled during the third file",
         {},
         false,
         true,
         {"1 行目 " + moved("a.txt"), "2 行目 " + moved("b.txt"), "3 行目 キャンセル",
          "---- 3 行目でキャンセル"},
         {"longer.txt"},
         {"a.txt", "b.txt"},
         "処理を中止しました。（3 件中 2 件を処理済み）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAfresh();
        for (const QString& folder : {path("src"), path("far")}) {
            for (const QString& name : entriesOf(folder))
                QFile::remove(folder + u'/' + name);
        }
        QStringList lines;
        for (const QString name : {"a.txt", "b.txt", "gone", "longer.txt"}) {
            if (name == "gone" && c.failing != name)
                continue;
            if (name != "gone")
                source(name);
            lines.append(path("far") + ',' + path("src/" + name));
        }
        writeJobList(lines);
        AtTheLongerFile progress;
        progress.replaced = c.replaceB ? path("src/b.txt") : QString();
        progress.cancel = c.cancel;
        EXPECT_FALSE(run(RunMode::Move, QString(), &progress));
        EXPECT_EQ(logLines().mid(1), c.log + QStringList{""});
        EXPECT_EQ(m_prompter.messageTexts(), QStringList{c.message});
        EXPECT_EQ(entriesOf(path("src")), c.sourcesLeft);
        EXPECT_EQ(entriesOf(path("far")), c.copies);
        // Every copy is whole; a source left beside its copy is the one that replaced it.
        for (const QString& name : c.copies)
            EXPECT_EQ(readBytes(path("far/" + name)), name.toUtf8());
        if (c.sourcesLeft.contains("b.txt")) {
            EXPECT_EQ(readBytes(path("src/b.txt")), "new");
        }
    }
}

TEST_F(RunLogTest, TheWindowsRunsAreLoggedToo) {
    writeJobList({path("out") + ',' + source("a.txt")});
    RunMonitor monitor;
    EXPECT_TRUE(executeSelectedJob(m_prompter, monitor, "/out", RunMode::Copy, 3));
    const QStringList lines = logLines();
    EXPECT_TRUE(lines.value(0).startsWith("==== ")) << lines.value(0).toStdString();
    EXPECT_TRUE(lines.value(0).endsWith(" コピー プロファイル 3 ウィンドウから"));
    EXPECT_EQ(lines.value(2), "---- 終了: 1 件");
}

TEST_F(RunLogTest, ALinkOrAnythingButAFileInTheLogsPlaceMeansNoLogAndOneNote) {
    writeJobList({path("out") + ',' + source("a.txt")});
    const QString log = path("app/_Fennick.log");
    const QString mine = path("mine.txt");
    struct Case {
        const char* what;
        std::function<bool()> arrange;
    };
    const Case cases[] = {
        {"a link to a file", [&] { return QFile::link(mine, log); }},
        {"a link to nothing", [&] { return QFile::link(path("nothing"), log); }},
        {"a folder", [&] { return QDir().mkdir(log); }},
        {"a pipe without a reader",
         [&] { return mkfifo(QFile::encodeName(log).constData(), 0644) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeBytes(mine, "my own file\n"));
        ASSERT_TRUE(c.arrange());
        testing::internal::CaptureStderr();
        EXPECT_TRUE(run(RunMode::Copy));
        const QString note = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(note, "実行ログの場所にリンクか通常のファイルではないものがあるため、"
                        "この実行のログは書きません: " +
                            log + "\n");
        EXPECT_EQ(readBytes(mine), "my own file\n");
        EXPECT_FALSE(QFileInfo::exists(path("nothing")));
        EXPECT_EQ(readBytes(path("out/a.txt")), "a.txt");
        EXPECT_TRUE(m_prompter.messages.isEmpty());
        QDir().rmdir(log);
        QFile::remove(log);
    }
}

TEST_F(RunLogTest, RunsAtOnceLoseNoLineAndTheTrimWaits) {
    // An earlier run of 900 KiB; the first run then writes its header, and
    // the log passes 1 MiB before the second run starts.
    const QString log = path("app/_Fennick.log");
    ASSERT_TRUE(writeBytes(log, "==== old\n" + QByteArray(900 * 1024, 'x') + '\n'));
    auto first = std::make_unique<RunLog>(log, RunLog::Start{kStart, RunMode::Copy, "1", "/c1"});
    for (int line = 1; line <= 300; ++line) {
        first->recordStarting(line);
        first->transferred(RunMode::Copy, QString(1000, 'a'), "b");
    }
    auto second = std::make_unique<RunLog>(log, RunLog::Start{kStart, RunMode::Copy, "2", "/c2"});
    second->runEnded(Result::success());
    first->runEnded(Result::success());
    second.reset();
    first.reset();
    QStringList lines = logLines();
    EXPECT_EQ(lines.filter(QRegularExpression("^\\d+ 行目 コピー: a+ → b$")).size(), 300);
    EXPECT_EQ(lines.filter("---- 終了:").size(), 2);
    EXPECT_TRUE(lines.contains("==== old"));

    // With both runs over, the next start trims the log below half a MiB and
    // keeps the newest run whole.
    { RunLog third(log, {kStart, RunMode::Copy, "3", "/c3"}); }
    lines = logLines();
    EXPECT_LT(QFileInfo(log).size(), 512 * 1024);
    EXPECT_FALSE(lines.contains("==== old"));
    EXPECT_EQ(lines.filter(QRegularExpression("^==== ")).size(), 3);
}

// Runs of the given sizes, each "==== <n>" and filler lines, as one log.
QByteArray runsOfSizes(const QList<int>& sizes) {
    QByteArray log;
    for (int n = 0; n < sizes.size(); ++n) {
        QByteArray run = "==== " + QByteArray::number(n) + '\n';
        run += QByteArray(sizes[n] - run.size() - 1, 'x') + '\n';
        log += run;
    }
    return log;
}

TEST(RunLogSize, DropsTheOldestRunsWholeButKeepsTheNewest) {
    struct Case {
        const char* what;
        QByteArray before;
        qint64 limit;
        qint64 trimmedSize;
        QByteArray after;
    };
    const QByteArray runs = runsOfSizes({40, 30, 20});
    const QByteArray large = runsOfSizes({100, 3 * 1024 * 1024});
    const Case cases[] = {
        {"at the limit", runs, 90, 10, runs},
        {"over the limit, down to the trimmed size", runs, 89, 50, runs.mid(40)},
        {"one byte less", runs, 89, 49, runs.mid(70)},
        {"a run that starts right at the cut", "x\n" + runs.mid(40), 50, 50, runs.mid(40)},
        {"the newest run is kept whatever its size", runs, 19, 10, runs.mid(70)},
        {"a newest run of several chunks", large, 1024, 512, large.mid(100)},
        {"no run header at all", QByteArray(150, 'x'), 100, 50, QByteArray(150, 'x')},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString log = dir.filePath("log");
        ASSERT_TRUE(writeBytes(log, c.before));
        RunLogFile file;
        file.open(log, {"==== ", c.limit, c.trimmedSize});
        EXPECT_EQ(readBytes(log), c.after) << c.what;
    }
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"log"});
}

// The log's escaping itself is tested character by character in escaped_text_test.cpp.
TEST(RunLogText, TextsAndFileNamesReadBackOneWay) {
    EXPECT_EQ(escapedText(QString::fromUtf16(u"a\nb\\c \u202eexe 日\u00a0")),
              QString::fromUtf16(u"a\\x0ab\\\\c \\u202eexe 日\u00a0"));
    EXPECT_EQ(escapedFileName("caf\xe9 \xe6\x97\xa5\n\xc3"), "caf\\xe9 日\\x0a\\xc3");
}

} // namespace
