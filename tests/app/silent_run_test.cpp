// The silent run as a user starts it from a launcher, a terminal or cron: the built program in
// its own folder with a settings file and job list files beside it, no display.

#include "support/app_sandbox.h"
#include "support/disk_files.h"
#include "support/run_expectations.h"

#include <QDateTime>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

using namespace test_support;

namespace {

const QDateTime kOldTime(QDate(2021, 3, 4), QTime(5, 6, 7));

// A source file with a modification time and permission bits that a fresh file never has.
void writeSource(const QString& path, const QByteArray& content, unsigned mode = 0640) {
    writeFile(path, content);
    setModificationTime(path, kOldTime);
    ::chmod(QFile::encodeName(path).constData(), mode);
}

// The copy holds the source's content, modification time and permission bits.
void expectCopyOf(const QString& copy, const QByteArray& content, unsigned mode = 0640) {
    EXPECT_EQ(readBytes(copy), content) << copy.toStdString();
    EXPECT_EQ(modificationTime(copy), kOldTime) << copy.toStdString();
    EXPECT_EQ(modeBits(copy), mode) << copy.toStdString();
}

QString completionLine(const QString& text) {
    return QStringLiteral("Fennick: ") + text;
}

QString question(const QString& name) {
    return QStringLiteral("削除: %1を削除します。 [y/N]").arg(name);
}

} // namespace

TEST(SilentRun, CopiesEveryRecordKeepingTimeAndPermissions) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeSource(src + QStringLiteral("/plain.txt"), "plain", 0600);
    writeSource(src + QStringLiteral("/報告書 2024.txt"), "japanese");
    writeSource(src + QStringLiteral("/a,b.txt"), "comma", 0755);
    writeFile(out + QStringLiteral("/plain.txt"), "older content, replaced without a question");
    // No settings file at all: preview mode is off, nothing is shown.
    sandbox.writeJobList(QStringLiteral("3"), {{out + u'/', src + QStringLiteral("/plain.txt")},
                                               {out, src + QStringLiteral("/報告書 2024.txt")},
                                               {out + u'/', src + QStringLiteral("/a,b.txt")}});

    expectFinishedQuietly(sandbox.run({QStringLiteral("/c3")}));

    EXPECT_EQ(entriesOf(out), QStringList({QStringLiteral("a,b.txt"), QStringLiteral("plain.txt"),
                                           QStringLiteral("報告書 2024.txt")}));
    expectCopyOf(out + QStringLiteral("/plain.txt"), "plain", 0600);
    expectCopyOf(out + QStringLiteral("/報告書 2024.txt"), "japanese");
    expectCopyOf(out + QStringLiteral("/a,b.txt"), "comma", 0755);
    EXPECT_EQ(readBytes(src + QStringLiteral("/plain.txt")), "plain");
}

TEST(SilentRun, TakesTheProfileFromTheLastCharacterOfTheArgument) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    for (const QString& profile : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}) {
        writeFile(src + u'/' + profile + QStringLiteral(".txt"), profile.toUtf8());
        sandbox.writeJobList(profile, {{sandbox.makeFolder(QStringLiteral("out") + profile),
                                        src + u'/' + profile + QStringLiteral(".txt")}});
    }

    // /c12 runs profile 2; the characters between the switch and the last one are ignored.
    expectFinishedQuietly(sandbox.run({QStringLiteral("/c12")}));
    EXPECT_EQ(entriesOf(sandbox.path(QStringLiteral("out1"))), QStringList());
    EXPECT_EQ(readBytes(sandbox.path(QStringLiteral("out2/2.txt"))), "2");

    expectFinishedQuietly(sandbox.run({QStringLiteral("/C3")}));
    EXPECT_EQ(readBytes(sandbox.path(QStringLiteral("out3/3.txt"))), "3");

    // "/c" alone names the profile "c", whose job list does not exist.
    expectFailure(sandbox.run({QStringLiteral("/c")}), QStringLiteral("ファイルが見つかりません"),
                  sandbox.jobListPath(QStringLiteral("c")));
}

TEST(SilentRun, MovesFilesAndReadsJobListsWithAnyLineEnd) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeSource(src + QStringLiteral("/one.txt"), "one");
    writeSource(src + QStringLiteral("/二.txt"), "two", 0604);
    writeFile(out + QStringLiteral("/one.txt"), "replaced");
    // LF line ends, and no line end after the last record.
    writeFile(sandbox.jobListPath(QStringLiteral("7")),
              (out + u',' + src + QStringLiteral("/one.txt\n") + out + u'/' + u',' + src +
               QStringLiteral("/二.txt"))
                  .toUtf8());

    expectFinishedQuietly(sandbox.run({QStringLiteral("/M7")}));

    EXPECT_EQ(entriesOf(src), QStringList());
    EXPECT_EQ(entriesOf(out), QStringList({QStringLiteral("one.txt"), QStringLiteral("二.txt")}));
    expectCopyOf(out + QStringLiteral("/one.txt"), "one");
    expectCopyOf(out + QStringLiteral("/二.txt"), "two", 0604);
}

TEST(SilentRun, ReadsAJobListBroughtOverInShiftJis) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("資料"));
    const QString out = sandbox.makeFolder(QStringLiteral("出力"));
    writeFile(src + QStringLiteral("/見積書.txt"), "estimate");
    QStringEncoder shiftJis("Shift_JIS");
    ASSERT_TRUE(shiftJis.isValid());
    const QByteArray content = shiftJis(out + u',' + src + QStringLiteral("/見積書.txt\r\n"));
    ASSERT_FALSE(shiftJis.hasError());
    writeFile(sandbox.jobListPath(QStringLiteral("4")), content);

    expectFinishedQuietly(sandbox.run({QStringLiteral("/c4")}));
    EXPECT_EQ(readBytes(out + QStringLiteral("/見積書.txt")), "estimate");
}

TEST(SilentRun, DeletesFilesAndEveryFileAPatternMatches) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    for (const char* name : {"single.txt", "a.log", "b.log", "keep.txt", "x.log.txt"})
        writeFile(src + u'/' + QString::fromUtf8(name), "data");
    sandbox.makeFolder(QStringLiteral("src/folder.log"));
    sandbox.writeSettings(QStringLiteral("0"));
    sandbox.writeJobList(QStringLiteral("3"), {{src, src + QStringLiteral("/single.txt")},
                                               {src, src + QStringLiteral("/*.log")}});

    expectFinishedQuietly(sandbox.run({QStringLiteral("/d3")}));

    // A folder is not an ordinary file; a pattern matches the whole name.
    EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("folder.log"), QStringLiteral("keep.txt"),
                                           QStringLiteral("x.log.txt")}));
}

TEST(SilentRun, ShowsTheCompletionTextOfTheModeOnlyInPreviewMode) {
    struct Mode {
        QString argument;
        QString completion;
    };
    const QList<Mode> modes = {{QStringLiteral("/c3"), AppSandbox::kCopyDone},
                               {QStringLiteral("/d3"), AppSandbox::kDeleteDone},
                               {QStringLiteral("/m3"), AppSandbox::kMoveDone}};
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    // An empty job list does nothing but reach the end of the run.
    sandbox.writeJobList(QStringLiteral("3"), {});

    for (const QString& preview :
         {QStringLiteral("1"), QStringLiteral("1.0"), QStringLiteral(" 1 ")}) {
        sandbox.writeSettings(preview);
        for (const Mode& mode : modes) {
            SCOPED_TRACE(
                (mode.argument + QStringLiteral(" with Preview=") + preview).toStdString());
            const RunOutcome outcome = sandbox.run({mode.argument});
            EXPECT_EQ(outcome.exitCode, 0);
            EXPECT_EQ(outcome.errors.trimmed(), completionLine(mode.completion));
        }
    }
    for (const QString& preview : {QStringLiteral("0"), QStringLiteral("2"), QString()}) {
        sandbox.writeSettings(preview);
        for (const Mode& mode : modes) {
            SCOPED_TRACE(
                (mode.argument + QStringLiteral(" with Preview=") + preview).toStdString());
            expectFinishedQuietly(sandbox.run({mode.argument}));
        }
    }
}

TEST(SilentRun, PreviewThatIsNotANumberFailsTheRun) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeFile(src + QStringLiteral("/a.txt"), "a");
    writeFile(src + QStringLiteral("/b.txt"), "b");
    sandbox.writeSettings(QStringLiteral("abc"));
    sandbox.writeJobList(QStringLiteral("3"), {{out, src + QStringLiteral("/a.txt")},
                                               {out, src + QStringLiteral("/b.txt")}});

    // A copy run does all its records and then fails where the completion text would come.
    RunOutcome outcome = sandbox.run({QStringLiteral("/c3")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.errors.contains(QStringLiteral("型が一致しません")))
        << outcome.errors.toStdString();
    EXPECT_FALSE(outcome.errors.contains(AppSandbox::kCopyDone));
    EXPECT_EQ(entriesOf(out), QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

    // A delete run fails before it deletes anything.
    outcome = sandbox.run({QStringLiteral("/d3")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.errors.contains(QStringLiteral("型が一致しません")))
        << outcome.errors.toStdString();
    EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
}

TEST(SilentRun, AsksBeforeEachDeleteInPreviewMode) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    // Created out of order; the questions come in byte order of the names.
    const QStringList logs = {QStringLiteral("e.log"), QStringLiteral("c.log"),
                              QStringLiteral("a.log"), QStringLiteral("B.log"),
                              QStringLiteral("d.log"), QStringLiteral("b.log")};
    for (const QString& name : logs)
        writeFile(src + u'/' + name, "log");
    writeFile(src + QStringLiteral("/last.txt"), "last");
    sandbox.writeSettings(QStringLiteral("1"));
    sandbox.writeJobList(QStringLiteral("3"), {{src, src + QStringLiteral("/*.log")},
                                               {src, src + QStringLiteral("/last.txt")}});

    // B.log y, a.log n, b.log Y, c.log yes, d.log YES, e.log an empty line, last.txt "no".
    const RunOutcome outcome =
        sandbox.run({QStringLiteral("/d3")}, {.input = "y\nn\nY\nyes\nYES\n\nno\n"});

    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("a.log"), QStringLiteral("e.log"),
                                           QStringLiteral("last.txt")}));
    qsizetype position = 0;
    for (const QString& name :
         {QStringLiteral("B.log"), QStringLiteral("a.log"), QStringLiteral("b.log"),
          QStringLiteral("c.log"), QStringLiteral("d.log"), QStringLiteral("e.log"),
          QStringLiteral("last.txt"), QString()}) {
        const QString expected =
            name.isEmpty() ? completionLine(AppSandbox::kDeleteDone) : question(name);
        const qsizetype found = outcome.errors.indexOf(expected, position);
        EXPECT_GE(found, position) << expected.toStdString() << " in order in\n"
                                   << outcome.errors.toStdString();
        position = std::max(found, position);
    }
    EXPECT_EQ(outcome.errors.count(QStringLiteral("[y/N]")), 7);
}

// Without an answer (cron, </dev/null, Ctrl-D) nothing is decided on the user's behalf: the run
// stops with status 1 and says why; what was done before stays done.
TEST(SilentRun, AQuestionThatGetsNoAnswerStopsTheRun) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    for (const char* name : {"a.log", "b.log", "c.log"})
        writeFile(src + u'/' + QString::fromUtf8(name), "log");
    sandbox.writeSettings(QStringLiteral("1"));
    sandbox.writeJobList(QStringLiteral("3"), {{src, src + QStringLiteral("/*.log")}});

    const RunOutcome outcome = sandbox.run({QStringLiteral("/d3")}, {.input = "y\n"});

    expectFailure(outcome, QStringLiteral("応答がなかった"), src + QStringLiteral("/b.log"));
    EXPECT_FALSE(outcome.errors.contains(AppSandbox::kDeleteDone));
    EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("b.log"), QStringLiteral("c.log")}));
}

// A reader of the messages that went away (a closed pipe) changes nothing about the run.
TEST(SilentRun, MessagesThatCannotBeWrittenDoNotChangeTheOutcome) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeFile(src + QStringLiteral("/a.txt"), "a");
    sandbox.writeSettings(QStringLiteral("1"));
    sandbox.writeJobList(QStringLiteral("3"), {{out, src + QStringLiteral("/a.txt")}});
    const auto closedStandardError = [] {
        int ends[2];
        if (::pipe(ends) == 0) {
            ::close(ends[0]);
            ::dup2(ends[1], 2);
            ::close(ends[1]);
        }
    };

    const RunOutcome outcome =
        sandbox.run({QStringLiteral("/c3")}, {.childModifier = closedStandardError});

    EXPECT_TRUE(outcome.endedByItself);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(readBytes(out + QStringLiteral("/a.txt")), "a");
}

TEST(SilentRun, StartsThatNeedTheWindowEndWithStatusOneWithoutADisplay) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeFile(src + QStringLiteral("/keep.txt"), "keep");
    for (const QString& profile : {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("5")})
        sandbox.writeJobList(profile, {{out, src + QStringLiteral("/keep.txt")}});

    const QStringList shift = {QStringLiteral("FENNICK_SHIFT=1")};
    const QList<std::pair<QStringList, QStringList>> starts = {
        {{}, {}},
        {{QStringLiteral("/c3")}, shift},
        {{QStringLiteral("/d3")}, shift},
        {{QStringLiteral("/x5")}, {}},
        {{QStringLiteral("xd5")}, {}},
        {{QStringLiteral("c")}, {}},
    };
    for (const auto& [arguments, environment] : starts) {
        SCOPED_TRACE((arguments.join(u' ') + u' ' + environment.join(u' ')).toStdString());
        const RunOutcome outcome = sandbox.run(arguments, {.environment = environment});
        EXPECT_TRUE(outcome.endedByItself);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_FALSE(outcome.errors.trimmed().isEmpty());
        EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("keep.txt")}));
        EXPECT_EQ(entriesOf(out), QStringList());
    }
}
