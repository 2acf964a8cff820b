#include "files/job_list.h"
#include "files/job_list_reader.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace test_support;

namespace {

std::optional<JobRecord> parse(const char* line) {
    return parseJobRecord(QString::fromUtf8(line));
}

TEST(JobRecordTest, SplitsALineIntoTwoFields) {
    EXPECT_EQ(parse("/out/,/src/a.txt"), (JobRecord{"/out/", "/src/a.txt"}));
    // Blanks before a field are skipped, blanks after an unquoted field dropped.
    EXPECT_EQ(parse("  /out/ ,\t/src/a.txt  "), (JobRecord{"/out/", "/src/a.txt"}));
    // Quotes keep commas and blanks, and are not part of the value.
    EXPECT_EQ(parse("\"/o,ut/\", \" /src/a b \""), (JobRecord{"/o,ut/", " /src/a b "}));
    // A quote inside an unquoted field is an ordinary character.
    EXPECT_EQ(parse("/out/,/src/say\"hi\".txt"), (JobRecord{"/out/", "/src/say\"hi\".txt"}));
    EXPECT_EQ(parse(","), (JobRecord{"", ""}));
}

TEST(JobRecordTest, ALineWithoutExactlyTwoFieldsIsNoRecord) {
    for (const char* line : {"", "/src/a.txt", "/out/,/src/a,b.txt", "\"/out/,/src/a.txt",
                             "\"/out/\"x,/src/a.txt", "/out/,\"/src/a.txt\" tail"})
        EXPECT_FALSE(parse(line).has_value()) << line;
}

TEST(JobRecordTest, WhatIsFormattedReadsBackUnchanged) {
    const QStringList paths = {
        "/plain/a.txt",         "/with,comma/b.txt",    "/ blank inside", "/trailing\t",
        "/日本語/ファイル.txt", "/%PATH%/$HOME/\\back", "/-dash",         "/"};
    for (const QString& destination : paths) {
        for (const QString& source : paths) {
            const Produced<QString> line = formatJobRecord({destination, source});
            ASSERT_TRUE(line.status.ok());
            EXPECT_EQ(parseJobRecord(line.value), (JobRecord{destination, source}))
                << line.value.toStdString();
        }
    }
    // Only what needs them gets quotes.
    EXPECT_EQ(formatJobRecord({"/out/", "/src/a.txt"}).value, "/out/,/src/a.txt");
}

// NUL and lone surrogates, wherever they stand, name no file; a surrogate
// pair (an emoji) is an ordinary character.
TEST(JobRecordTest, FindsCharactersThatNameNoFileAnywhere) {
    const QString pair = QString::fromUtf16(u"/src/\U0001F600.txt");
    const QChar high(char16_t(0xd83d)), low(char16_t(0xde00));
    const struct {
        JobRecord record;
        const char* problem; // nullptr: none
    } cases[] = {
        {{"/o/", pair}, nullptr},
        {{"/o/" + pair, "/a"}, nullptr},
        {{"/o/", "/a" + QString(high)}, "読み取れない文字"},
        {{"/o/", QString(low) + "/a"}, "読み取れない文字"},
        {{"/o/" + QString(low), "/a"}, "読み取れない文字"},
        {{"/o/", "/a" + QString(high) + "b" + QString(low)}, "読み取れない文字"},
        {{"/o/" + QString(QChar(0)), "/a" + QString(high)}, "NUL"},
        {{"/o/", "/a" + QString(QChar(0))}, "NUL"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> problem = recordProblem(c.record);
        EXPECT_EQ(problem.has_value(), c.problem != nullptr) << c.record.source.toStdString();
        if (problem && c.problem) {
            EXPECT_TRUE(problem->contains(QString::fromUtf8(c.problem))) << problem->toStdString();
        }
    }
}

TEST(JobRecordTest, RefusesPathsThatAJobListCannotHold) {
    // A relative path, or a NUL that would cut the path short, could never be run.
    const QString nul = QStringLiteral("/src/keep.txt") + QChar(0) + QStringLiteral("*");
    for (const QString& bad :
         {QStringLiteral("/src/say\"hi\".txt"), QStringLiteral("/src/line\nbreak"),
          QStringLiteral("/src/cr\rhere"), QStringLiteral("src/a.txt"), QStringLiteral("~/a.txt"),
          QStringLiteral(" /lead.txt"), QString(), nul}) {
        const Result refused = formatJobRecord({"/out/", bad}).status;
        EXPECT_FALSE(refused.ok()) << bad.toStdString();
        EXPECT_TRUE(refused.error().endsWith(bad)) << refused.error().toStdString();
    }
    const Result relativeFolder = formatJobRecord({"out/", "/src/a.txt"}).status;
    EXPECT_FALSE(relativeFolder.ok());
    EXPECT_TRUE(relativeFolder.error().endsWith(" out/")) << relativeFolder.error().toStdString();
}

class JobListFileTest : public ::testing::Test {
  protected:
    QString file(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    QList<JobRecord> readAll(const QString& path, QString* error = nullptr) {
        JobListReader reader;
        QList<JobRecord> records;
        const Result opened = reader.open(path);
        if (!opened.ok()) {
            if (error)
                *error = opened.error();
            return records;
        }
        while (const std::optional<JobRecord> record = reader.next())
            records.append(*record);
        if (reader.failed() && error)
            *error = reader.error();
        return records;
    }

    QTemporaryDir m_dir;
};

TEST_F(JobListFileTest, WritesOneCrLfLinePerSourceWithTheFolderEndingInASeparator) {
    const QString path = file("3copylist.txt");
    ASSERT_TRUE(writeJobList(path, "/out", {"/src/a.txt", "/src/b,c.txt"}).ok());
    EXPECT_EQ(readBytes(path), "/out/,/src/a.txt\r\n/out/,\"/src/b,c.txt\"\r\n");
    ASSERT_TRUE(writeJobList(path, "/out/", {"/src/日本.txt"}).ok());
    EXPECT_EQ(readBytes(path), QString("/out/,/src/日本.txt\r\n").toUtf8());
    ASSERT_TRUE(writeJobList(path, "/out/", {}).ok());
    EXPECT_EQ(readBytes(path), QByteArray());
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"3copylist.txt"});
}

TEST_F(JobListFileTest, ARefusedOrFailedWriteKeepsTheOldFile) {
    const QString path = file("3copylist.txt");
    ASSERT_TRUE(writeJobList(path, "/out", {"/src/a.txt"}).ok());
    const QByteArray before = readBytes(path);

    const Result refused = writeJobList(path, "/out", {"/src/ok.txt", "/src/bad\"name"});
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains("/src/bad\"name"));
    EXPECT_EQ(readBytes(path), before);

    const Result failed = writeJobList(file("missing/3copylist.txt"), "/out", {"/src/a.txt"});
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.error().contains(file("missing/3copylist.txt")));
    EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"3copylist.txt"});
}

TEST_F(JobListFileTest, ReadsWhatWasWrittenAndHandMadeFiles) {
    const QString path = file("0copylist.txt");
    const QStringList sources = {"/src/a.txt", "/src/blank ", "/src/x,y.txt", "/src/日本語.txt"};
    ASSERT_TRUE(writeJobList(path, "/out", sources).ok());
    QList<JobRecord> records = readAll(path);
    ASSERT_EQ(records.size(), sources.size());
    for (qsizetype i = 0; i < sources.size(); ++i)
        EXPECT_EQ(records[i], (JobRecord{"/out/", sources[i]}));

    // A folder whose name starts with U+FEFF is no absolute path, and could be
    // taken for a byte-order mark: it is refused.
    const QString markLike = QString(QChar(0xFEFF)) + "out";
    EXPECT_FALSE(writeJobList(path, markLike, {"/src/a.txt"}).ok());

    // LF and CR LF mixed, a byte-order mark, no line break after the last record.
    ASSERT_TRUE(writeBytes(path, "\xEF\xBB\xBF/o/,/a\n/o/,/b\r\n/o/,/c"));
    records = readAll(path);
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0], (JobRecord{"/o/", "/a"}));
    EXPECT_EQ(records[2], (JobRecord{"/o/", "/c"}));
}

TEST_F(JobListFileTest, ReadsAShiftJisFileFromAWindowsSystem) {
    QStringEncoder toShiftJis("Shift_JIS");
    ASSERT_TRUE(toShiftJis.isValid());
    // "表" ends in the byte of a backslash in Shift-JIS.
    const QString line = QStringLiteral("/出力/,/元/表計算.txt");
    const QByteArray bytes = toShiftJis.encode(line + "\r\n");
    ASSERT_TRUE(writeBytes(file("1copylist.txt"), bytes + bytes));
    const QList<JobRecord> records = readAll(file("1copylist.txt"));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1], (JobRecord{"/出力/", "/元/表計算.txt"}));
}

TEST_F(JobListFileTest, ReportsWhatCannotBeRead) {
    QString error;
    readAll(file("none.txt"), &error);
    EXPECT_EQ(error, QStringLiteral("ファイルが見つかりません: ") + file("none.txt"));

    // Only ordinary files: a pipe would wait for a writer, /dev/zero never end.
    ASSERT_EQ(mkfifo(QFile::encodeName(file("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", file("zero")));
    ASSERT_TRUE(QDir().mkdir(file("folder")));
    for (const QString& path : {file("fifo"), file("zero"), file("folder")}) {
        error.clear();
        EXPECT_TRUE(readAll(path, &error).isEmpty());
        EXPECT_TRUE(error.endsWith(": " + path)) << error.toStdString();
        EXPECT_EQ(JobListReader::countLines(path), 0);
    }
}

TEST_F(JobListFileTest, ALineThatCannotBeRunIsNoRecord) {
    struct Case {
        QByteArray line;
        QString why;
    };
    const Case cases[] = {
        {QByteArray("/o/,/src/keep.txt\0*", 19), QStringLiteral("NUL")},
        {",/src/a.txt", QStringLiteral("コピー先のフォルダーが空")},
        {"out/,/src/a.txt", QStringLiteral("コピー先のフォルダーが絶対パスではありません")},
        {"\" /o/\",/src/a.txt", QStringLiteral("コピー先のフォルダーが絶対パスではありません")},
        {"/o/,*.log", QStringLiteral("ファイルのパスが絶対パスではありません")},
        {"/o/,", QStringLiteral("ファイルのパスが絶対パスではありません")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(
            writeBytes(file("2copylist.txt"), "\r\n/o/,/first\r\n" + c.line + "\r\n/o/,/last\r\n"));
        QString error;
        EXPECT_EQ(readAll(file("2copylist.txt"), &error), (QList<JobRecord>{{"/o/", "/first"}}));
        EXPECT_TRUE(error.contains(file("2copylist.txt")) &&
                    error.contains(QStringLiteral("3 行目")) && error.contains(c.why))
            << error.toStdString();
    }
    // A lone surrogate in a UTF-16 file names no file.
    ASSERT_TRUE(
        writeBytes(file("2copylist.txt"), QByteArray("\xFF\xFE/\0o\0/\0,\0/\0\x00\xD8\n\0", 16)));
    QString error;
    EXPECT_TRUE(readAll(file("2copylist.txt"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("読み取れない文字"))) << error.toStdString();
}

TEST_F(JobListFileTest, SkipsBlankLinesWhereverTheyStand) {
    ASSERT_TRUE(writeBytes(file("2copylist.txt"), "\r\n \t\r\n/o/,/a\r\n\r\n/o/,/b\r\n  \r\n"));
    QString error;
    EXPECT_EQ(readAll(file("2copylist.txt"), &error),
              (QList<JobRecord>{{"/o/", "/a"}, {"/o/", "/b"}}));
    EXPECT_EQ(error, QString());
    EXPECT_EQ(JobListReader::countLines(file("2copylist.txt")), 2);
}

TEST_F(JobListFileTest, ReadsTheEncodingsAndLineEndsOfWindowsEditors) {
    struct Encoding {
        const char* name;
        QByteArray mark;
    };
    const Encoding encodings[] = {{"UTF-8", ""},
                                  {"UTF-8", "\xEF\xBB\xBF"},
                                  {"UTF-16LE", "\xFF\xFE"},
                                  {"UTF-16BE", "\xFE\xFF"},
                                  {"Shift_JIS", ""}};
    const QList<JobRecord> expected = {{"/出力/", "/元/表計算.txt"}, {"/出力/", "/元/a,b.txt"}};
    for (const Encoding& encoding : encodings) {
        for (const QString lineEnd : {"\r\n", "\n", "\r"}) {
            SCOPED_TRACE(std::string(encoding.name) +
                         (encoding.mark.isEmpty() ? "" : " with mark") + " " +
                         lineEnd.toUtf8().toHex().toStdString());
            QStringEncoder encoder(encoding.name);
            ASSERT_TRUE(encoder.isValid());
            const QString text =
                "/出力/,/元/表計算.txt" + lineEnd + lineEnd + "/出力/,\"/元/a,b.txt\"";
            ASSERT_TRUE(writeBytes(file("1copylist.txt"), encoding.mark + encoder.encode(text)));
            QString error;
            EXPECT_EQ(readAll(file("1copylist.txt"), &error), expected);
            EXPECT_EQ(error, QString());
            EXPECT_EQ(JobListReader::countLines(file("1copylist.txt")), 2);
        }
    }
}

// Lines of UTF-8 are read as the text they decode to: a mark U+FEFF is dropped
// at the start of a line only, a NUL anywhere makes no record, and each record
// keeps its own destination folder.
TEST_F(JobListFileTest, ReadsEachUtf8LineAsItsText) {
    struct Case {
        QByteArray line;
        std::optional<JobRecord> record; // nothing: no record, for the reason why
        QString why;
    };
    const Case cases[] = {
        {"/o/,/a", JobRecord{"/o/", "/a"}, {}},
        {"/p/ ,\t/a b ", JobRecord{"/p/", "/a b"}, {}},
        {"  \"/出力/\" , \"/元/ファイル（１）,２.txt\"  ",
         JobRecord{"/出力/", "/元/ファイル（１）,２.txt"},
         {}},
        {"/o/,/\xF0\x9F\x98\x80", JobRecord{"/o/", QString::fromUtf8("/\xF0\x9F\x98\x80")}, {}},
        {"\xEF\xBB\xBF/o/,/a", JobRecord{"/o/", "/a"}, {}},
        {" \xEF\xBB\xBF/o/,/a", {}, QStringLiteral("コピー先のフォルダーが絶対パスではありません")},
        {"\"\xEF\xBB\xBF/o/\",/a",
         {},
         QStringLiteral("コピー先のフォルダーが絶対パスではありません")},
        {"/o/,\xEF\xBB\xBF/a", {}, QStringLiteral("ファイルのパスが絶対パスではありません")},
        {QByteArray("\"/o\0/\",/a", 10), {}, QStringLiteral("NUL")},
        {QByteArray("/o/,/日本\0", 12), {}, QStringLiteral("NUL")},
        {"/o/,/a,b", {}, QStringLiteral("2 行目）")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toHex().toStdString());
        ASSERT_TRUE(writeBytes(file("4copylist.txt"), "/q/,/first\n" + c.line + "\n/q/,/last"));
        QString error;
        const QList<JobRecord> records = readAll(file("4copylist.txt"), &error);
        if (c.record) {
            EXPECT_EQ(records, (QList<JobRecord>{{"/q/", "/first"}, *c.record, {"/q/", "/last"}}));
            EXPECT_EQ(error, QString());
        } else {
            EXPECT_EQ(records, (QList<JobRecord>{{"/q/", "/first"}}));
            EXPECT_TRUE(error.contains(QStringLiteral("2 行目")) && error.contains(c.why))
                << error.toStdString();
        }
    }
}

// Records that run across the blocks the file is read in, with the folder
// changing now and then, come back whole and in order.
TEST_F(JobListFileTest, ReadsEveryRecordOfAListLongerThanABlock) {
    QList<JobRecord> written;
    QByteArray bytes;
    for (int i = 0; i < 6000; ++i) {
        const QString destination = QStringLiteral("/出力/%1/").arg(i / 1000);
        const QString source =
            QStringLiteral("/src/%1").arg(i) + QString(i % 7, QChar(u'あ' + i % 50));
        written.append({destination, source});
        bytes += (destination + ',' + source + (i % 2 ? "\r\n" : "\n")).toUtf8();
        if (i % 500 == 0)
            bytes += "\xEF\xBB\xBF \t\n"; // a blank line, once its mark is dropped
    }
    ASSERT_GT(bytes.size(), 2 * 64 * 1024);
    ASSERT_TRUE(writeBytes(file("6copylist.txt"), bytes));
    QString error;
    EXPECT_EQ(readAll(file("6copylist.txt"), &error), written);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(JobListReader::countLines(file("6copylist.txt")), written.size());
}

// A CR LF whose CR ends one block of reading and whose LF begins the next is
// one line break: the line after it is the second line.
TEST_F(JobListFileTest, ALineBreakSplitAcrossBlocksIsOne) {
    const QByteArray first = "/o/,/" + QByteArray(64 * 1024 - 6, 'a');
    ASSERT_TRUE(writeBytes(file("5copylist.txt"), first + "\r\nbad\r\n"));
    QString error;
    EXPECT_EQ(readAll(file("5copylist.txt"), &error).size(), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("2 行目"))) << error.toStdString();
}

} // namespace
