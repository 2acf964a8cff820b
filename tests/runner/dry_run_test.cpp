#include "runner/dry_run.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

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

// Whether `text` is `pattern`, each "…" in it standing for any text.
bool matches(const QString& text, const QString& pattern) {
    const QString regex = QRegularExpression::escape(pattern).replace("\\…", ".*");
    return QRegularExpression(QRegularExpression::anchoredPattern(regex),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

// Paths are written below the temporary folder as "@"; lines are separated by "\n".
struct DryRunCase {
    const char* name;
    RunMode mode;
    RunSettings settings;
    const char* records; // "<destination>,<source>"; none: the job list is missing
    const char* printed;
    const char* error; // "…" for any text; empty for success
    const char* jobList = "1copylist.txt";
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
        if (*test.records) {
            ASSERT_TRUE(writeBytes(path(test.jobList), withRoot(test.records).toUtf8() + "\n"));
        }
        const QStringList before = stateOf(m_folder.root());
        QStringList printed;
        const Result result = dryRun(test.mode, path(test.jobList), test.settings,
                                     [&](const QString& line) { printed.append(line); });
        EXPECT_EQ(printed, withRoot(test.printed).split(u'\n', Qt::SkipEmptyParts)) << test.name;
        EXPECT_TRUE(*test.error ? matches(result.error(), withRoot(test.error)) : result.ok())
            << test.name << ": " << result.error().toStdString();
        EXPECT_EQ(stateOf(m_folder.root()), before) << test.name << " touched a file";
    }
};

const RunSettings kPlain;
const RunSettings kTrash{"", {}, "1", ""};
const RunSettings kPreview{"1", {}, "", ""};
using enum RunMode;

TEST_F(DryRunTest, EachActionIsOneLineAndEachCheckStopsWhereTheRunWould) {
    const DryRunCase cases[] = {
        {"copy, replace", Copy, kPlain, "@/out,@/src/a.txt\n@/out/,@/src/b.txt",
         "1 行目 コピー: @/src/a.txt → @/out/a.txt\n"
         "2 行目 上書きコピー: @/src/b.txt → @/out/b.txt",
         ""},
        {"the same source twice replaces", Move, kPlain,
         "@/out,@/src/a.txt\n@/out,@/src/a.txt\n@/out,@/src/b.txt",
         "1 行目 移動: @/src/a.txt → @/out/a.txt\n2 行目 上書き移動: @/src/a.txt → @/out/a.txt\n"
         "3 行目 上書き移動: @/src/b.txt → @/out/b.txt",
         ""},
        {"delete, pattern, escaped name", Delete, kPlain,
         "@/out,@/src/*.log\n@/out,@/src/e\x1b[2Jvil.txt",
         "1 行目 削除: @/src/x.log（@/src/*.log に一致）\n"
         "1 行目 削除: @/src/y.log（@/src/*.log に一致）\n2 行目 削除: @/src/e\\x1b[2Jvil.txt",
         ""},
        {"trash, asking", Delete, kTrash, "@/out,@/src/a.txt", "1 行目 ごみ箱へ: @/src/a.txt", ""},
        {"a delete that asks is marked", Delete, kPreview, "@/out,@/src/a.txt",
         "1 行目 削除（確認あり）: @/src/a.txt", ""},
        {"name clash", Copy, kPlain, "@/out,@/src/a.txt\n@/out,@/other/a.txt",
         "1 行目 コピー: @/src/a.txt → @/out/a.txt",
         "同じ名前のファイルをこの実行で既に別のファイルから書き込んでいます: @/out/a.txt\n"
         "ジョブリストの 2 行目で停止しました（1 件処理済み）。"},
        {"read-only target", Copy, kPlain, "@/out,@/src/ro.txt\n@/other,@/src/b.txt", "",
         "読み取り専用のファイルです: @/out/ro.txt\nジョブリストの 1 行目で停止…"},
        {"read-only source of a move", Move, kPlain, "@/other,@/src/ro.txt", "",
         "読み取り専用のファイルです: @/src/ro.txt…"},
        {"read-only file to delete", Delete, kPlain, "@/out,@/src/r?.txt", "",
         "読み取り専用のファイルです: @/src/ro.txt…"},
        {"missing source", Copy, kPlain, "@/out,@/src/a.txt\n@/out,@/src/none.txt",
         "1 行目 コピー: @/src/a.txt → @/out/a.txt",
         "ファイルが見つかりません: @/src/none.txt\n"
         "ジョブリストの 2 行目で停止しました（1 件処理済み）。"},
        {"the source itself as target", Copy, kPlain, "@/src,@/src/a.txt", "",
         "コピー元とコピー先が同じファイルです: @/src/a.txt…"},
        {"missing destination folder", Copy, kPlain, "@/nowhere,@/src/a.txt", "",
         "パスが見つかりません: @/nowhere…"},
        {"nothing matches", Delete, kPreview, "@/out,@/src/*.none", "",
         "ファイルが見つかりません: @/src/*.none…"},
        {"bad Trash value", Delete, RunSettings{"", {}, "yes", ""}, "@/out,@/src/a.txt", "",
         "型が一致しません（[OPTION] Trash の値「yes」は 0 でも 1 でもありません）…1 行目で停止…"},
        {"bad Verify value stops before any record", Move, RunSettings{"", {}, "", "2"},
         "@/out,@/src/a.txt", "",
         "型が一致しません（[OPTION] Verify の値「2」は 0 でも 1 でもありません）…_Fennick.ini"},
        {"bad Preview value ends a copy after its records", Copy, RunSettings{"x", {}, "", ""},
         "@/out,@/src/a.txt", "1 行目 コピー: @/src/a.txt → @/out/a.txt",
         "型が一致しません（[MSG] Preview の値「x」は数値ではありません）…_Fennick.ini"},
        {"a record that cannot be read", Copy, kPlain, "@/out,@/src/a.txt\nonly one",
         "1 行目 コピー: @/src/a.txt → @/out/a.txt",
         "ジョブリストの行を読み取れません…ジョブリストの 2 行目で停止しました（1 件処理済み）。"},
        {"missing job list", Copy, kPlain, "", "",
         "ファイルが見つかりません: @/nothing/5copylist.txt", "nothing/5copylist.txt"},
    };
    for (const DryRunCase& test : cases)
        check(test);
}

} // namespace
