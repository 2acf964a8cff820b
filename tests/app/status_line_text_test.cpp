#include "app/status_line_text.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusLineTextTest, WideCharactersTakeTwoColumns) {
    EXPECT_EQ(terminalColumns("report.odt"), 10);
    EXPECT_EQ(terminalColumns("報告書.odt"), 10);
    EXPECT_EQ(terminalColumns("ｶﾅ"), 2); // half-width kana take one each
    EXPECT_EQ(terminalColumns("e\u0301"), 1);
    EXPECT_EQ(terminalColumns("😀"), 2);
}

TEST(StatusLineTextTest, ALongNameIsShortenedInTheMiddleToTheColumnsGiven) {
    const QString name = "/home/me/写真/2026年/旅行/とても長いファイルの名前.jpg";
    for (int columns : {20, 21, 30, 45}) {
        const QString shortened = shortenedToColumns(name, columns);
        EXPECT_LE(terminalColumns(shortened), columns) << shortened.toStdString();
        EXPECT_GE(terminalColumns(shortened), columns - 1) << shortened.toStdString();
        EXPECT_TRUE(shortened.startsWith("/home") && shortened.endsWith("前.jpg"));
    }
    EXPECT_EQ(shortenedToColumns(name, 200), name);
    EXPECT_EQ(shortenedToColumns(name, 5), QString());
}

TEST(StatusLineTextTest, TheLineFitsTheTerminalAndShowsTheFiguresOfItsRun) {
    StatusFigures figures;
    figures.recordsDone = 12;
    figures.recordCount = 40;
    figures.bytesDone = 3 * 1024 * 1024;
    figures.byteTotal = 640 * 1024 * 1024;
    figures.bytesPerSecond = 85 * 1024 * 1024;
    figures.source = "/data/とても長いフォルダーの名前/その中のファイル.bin";
    EXPECT_EQ(statusLineText(figures, 200),
              "12/40 件  3.0 MiB/640 MiB  85 MiB/s  " + figures.source);
    for (int columns : {20, 40, 60}) {
        const QString line = statusLineText(figures, columns);
        EXPECT_LT(terminalColumns(line), columns) << line.toStdString();
    }
    // A large file shows its own bytes; a delete run shows no bytes.
    figures.fileSize = 4LL * 1024 * 1024 * 1024;
    figures.fileBytesDone = 700 * 1024 * 1024;
    EXPECT_TRUE(statusLineText(figures, 200).startsWith("12/40 件  700 MiB/4.0 GiB  85 MiB/s  "));
    figures.mode = RunMode::Delete;
    EXPECT_EQ(statusLineText(figures, 200), "12/40 件  " + figures.source);
}

TEST(StatusLineTextTest, TheSummaryNamesModeRecordsBytesAndTime) {
    EXPECT_EQ(runSummaryText(RunMode::Copy, 40, 640LL * 1024 * 1024, 2149),
              "コピー完了: 40 件、640 MiB、2.1 秒");
    EXPECT_EQ(runSummaryText(RunMode::Move, 1, 512, 30), "移動完了: 1 件、512 B、0.0 秒");
    EXPECT_EQ(runSummaryText(RunMode::Delete, 3, 0, 1260), "削除完了: 3 件、1.3 秒");
}

} // namespace
