#include "runner/dry_run.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

using namespace test_support;

namespace {

// Every file below a folder with its size, mode and modification time.
QStringList stateOf(const QString& folder) {
    QStringList state;
    for (QDirIterator i(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
         i.hasNext();) {
        const QFileInfo info(i.next());
        state.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(info.filePath())
                         .arg(info.size())
                         .arg(int(info.permissions()))
                         .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    state.sort();
    return state;
}

struct DryRunCase {
    const char* name;
    RunMode mode;
    RunSettings settings;
    QStringList records;  // "<destination>,<source>", paths below the temporary folder as "@"
    QStringList expected; // lines printed, "@" as above
    QString error;        // the start and end of the message, "…" between; empty for none
};

class DryRunTest : public TemporaryAppFolderTest {
  protected:
    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        for (const char* file : {"src/a.txt", "src/b.txt", "src/x.log", "src/y.log", "other/a.txt",
                                 "out/b.txt", "out/ro.txt", "src/ro.txt", "src/e\x1b[2Jvil.txt"})
            ASSERT_TRUE(writeBytes(path(file), file));
        for (const char* file : {"out/ro.txt", "src/ro.txt"})
            ASSERT_EQ(chmod(QFile::encodeName(path(file)).constData(), 0444), 0);
    }

    QString withRoot(QString text) const { return text.replace("@", m_folder.root()); }

    void check(const DryRunCase& test) {
        QByteArray list;
        for (const QString& record : test.records)
            list += withRoot(record).toUtf8() + "\n";
        ASSERT_TRUE(writeBytes(path("1copylist.txt"), list));
        const QStringList before = stateOf(m_folder.root());
        QStringList printed;
        const Result result = dryRun(test.mode, path("1copylist.txt"), test.settings,
                                     [&](const QString& line) { printed.append(line); });
        QStringList expected;
        for (const QString& line : test.expected)
            expected.append(withRoot(line));
        EXPECT_EQ(printed, expected) << test.name;
        if (test.error.isEmpty()) {
            EXPECT_TRUE(result.ok()) << test.name << ": " << result.error().toStdString();
        } else {
            const QStringList ends = withRoot(test.error).split("…");
            EXPECT_TRUE(result.error().startsWith(ends.first()) &&
                        result.error().endsWith(ends.last()))
                << test.name << ": " << result.error().toStdString();
        }
        EXPECT_EQ(stateOf(m_folder.root()), before) << test.name << " touched a file";
    }
};

const RunSettings kPlain;
const RunSettings kTrash{"", {}, "1", ""};
const RunSettings kPreview{"1", {}, "", ""};

TEST_F(DryRunTest, EachActionIsOneLineAndEachCheckStopsWhereTheRunWould) {
    const DryRunCase cases[] = {
        {"copy, replace",
         RunMode::Copy,
         kPlain,
         {"@/out,@/src/a.txt", "@/out/,@/src/b.txt"},
         {"1 行目 コピー: @/src/a.txt → @/out/a.txt",
          "2 行目 上書きコピー: @/src/b.txt → @/out/b.txt"},
         ""},
        {"the same source twice replaces",
         RunMode::Move,
         kPlain,
         {"@/out,@/src/a.txt", "@/out,@/src/a.txt", "@/out,@/src/b.txt"},
         {"1 行目 移動: @/src/a.txt → @/out/a.txt", "2 行目 上書き移動: @/src/a.txt → @/out/a.txt",
          "3 行目 上書き移動: @/src/b.txt → @/out/b.txt"},
         ""},
        {"delete, pattern, escaped name",
         RunMode::Delete,
         kPlain,
         {"@/out,@/src/*.log", "@/out,@/src/e\x1b[2Jvil.txt"},
         {"1 行目 削除: @/src/x.log（@/src/*.log に一致）",
          "1 行目 削除: @/src/y.log（@/src/*.log に一致）", "2 行目 削除: @/src/e\\x1b[2Jvil.txt"},
         ""},
        {"trash, asking",
         RunMode::Delete,
         kTrash,
         {"@/out,@/src/a.txt"},
         {"1 行目 ごみ箱へ: @/src/a.txt"},
         ""},
        {"a delete that asks is marked",
         RunMode::Delete,
         kPreview,
         {"@/out,@/src/a.txt"},
         {"1 行目 削除（確認あり）: @/src/a.txt"},
         ""},
        {"name clash",
         RunMode::Copy,
         kPlain,
         {"@/out,@/src/a.txt", "@/out,@/other/a.txt"},
         {"1 行目 コピー: @/src/a.txt → @/out/a.txt"},
         "同じ名前のファイルをこの実行で既に別のファイルから書き込んでいます: "
         "@/out/a.txt\nジョブリストの 2 行目で停止しました（1 件処理済み）。"},
        {"read-only target",
         RunMode::Copy,
         kPlain,
         {"@/out,@/src/ro.txt", "@/other,@/src/b.txt"},
         {},
         "読み取り専用のファイルです: @/out/ro.txt\nジョブリストの 1 行目で停止…"},
        {"read-only source of a move",
         RunMode::Move,
         kPlain,
         {"@/other,@/src/ro.txt"},
         {},
         "読み取り専用のファイルです: @/src/ro.txt…"},
        {"read-only file to delete",
         RunMode::Delete,
         kPlain,
         {"@/out,@/src/r?.txt"},
         {},
         "読み取り専用のファイルです: @/src/ro.txt…"},
        {"missing source",
         RunMode::Copy,
         kPlain,
         {"@/out,@/src/a.txt", "@/out,@/src/none.txt"},
         {"1 行目 コピー: @/src/a.txt → @/out/a.txt"},
         "ファイルが見つかりません: @/src/none.txt\nジョブリストの 2 行目で停止しました（1 "
         "件処理済み）。"},
        {"the source itself as target",
         RunMode::Copy,
         kPlain,
         {"@/src,@/src/a.txt"},
         {},
         "コピー元とコピー先が同じファイルです: @/src/a.txt…"},
        {"missing destination folder",
         RunMode::Copy,
         kPlain,
         {"@/nowhere,@/src/a.txt"},
         {},
         "パスが見つかりません: @/nowhere…"},
        {"nothing matches",
         RunMode::Delete,
         kPreview,
         {"@/out,@/src/*.none"},
         {},
         "ファイルが見つかりません: @/src/*.none…"},
        {"bad Trash value",
         RunMode::Delete,
         RunSettings{"", {}, "yes", ""},
         {"@/out,@/src/a.txt"},
         {},
         "型が一致しません（[OPTION] Trash の値「yes」は 0 でも 1 でもありません）…1 行目で停止…"},
        {"bad Verify value stops before any record",
         RunMode::Move,
         RunSettings{"", {}, "", "2"},
         {"@/out,@/src/a.txt"},
         {},
         "型が一致しません（[OPTION] Verify の値「2」は 0 でも 1 でもありません）…_Fennick.ini"},
        {"bad Preview value ends a copy after its records",
         RunMode::Copy,
         RunSettings{"x", {}, "", ""},
         {"@/out,@/src/a.txt"},
         {"1 行目 コピー: @/src/a.txt → @/out/a.txt"},
         "型が一致しません（[MSG] Preview の値「x」は数値ではありません）…_Fennick.ini"},
        {"a record that cannot be read",
         RunMode::Copy,
         kPlain,
         {"@/out,@/src/a.txt", "only one"},
         {"1 行目 コピー: @/src/a.txt → @/out/a.txt"},
         "ジョブリストの行を読み取れません…ジョブリストの 2 行目で停止しました（1 件処理済み）。"},
    };
    for (const DryRunCase& test : cases)
        check(test);
}

TEST_F(DryRunTest, AMissingJobListIsReportedAsTheRunReportsIt) {
    const Result result = dryRun(RunMode::Copy, path("nothing/5copylist.txt"), kPlain,
                                 [](const QString&) { ADD_FAILURE(); });
    EXPECT_EQ(result.error(), "ファイルが見つかりません: " + path("nothing/5copylist.txt"));
}

} // namespace
