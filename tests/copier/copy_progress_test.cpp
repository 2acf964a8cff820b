// The copy of one file reports its progress in chunks and can be cancelled between them;
// a cancelled copy or move leaves the target as it was and the source in place.

#include "copier/copy_progress.h"
#include "copier/file_operations.h"
#include "runner/job_runner.h"
#include "runner/run_targets.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/small_tmpfs.h"
#include "support/temporary_app_folder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace test_support;

namespace {

// More than two chunks of the copy loop.
const QByteArray kBigContent = [] {
    QByteArray bytes(9 * 1024 * 1024 + 123, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 / 4096);
    return bytes;
}();

// Records every report; answers "stop" from the given call on (from 1), never when 0.
class RecordingProgress : public CopyProgress {
  public:
    explicit RecordingProgress(int cancelAtCall = 0) : m_cancelAtCall(cancelAtCall) {}
    bool fileCopyAdvanced(qint64 copiedBytes, qint64 totalBytes) override {
        reports.push_back({copiedBytes, totalBytes});
        return m_cancelAtCall == 0 || int(reports.size()) < m_cancelAtCall;
    }
    std::vector<std::pair<qint64, qint64>> reports;

  private:
    int m_cancelAtCall;
};

class CopyProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(writeBytes(path("src/big.bin"), kBigContent));
        ASSERT_TRUE(QDir().mkpath(path("out")));
    }
    QString path(const char* relative) const { return m_folder.path(QString::fromUtf8(relative)); }

    TemporaryAppFolder m_folder{QStringLiteral("app")};
};

TEST_F(CopyProgressTest, ReportsRisingCountsUpToTheSize) {
    RecordingProgress progress;
    WrittenTargets targets;
    FileOperations files(targets, &progress);
    ASSERT_TRUE(files.copyFile(path("src/big.bin"), path("out/big.bin")).ok());
    EXPECT_EQ(readBytes(path("out/big.bin")), kBigContent);
    ASSERT_GE(progress.reports.size(), 3u);
    for (size_t i = 0; i < progress.reports.size(); ++i) {
        EXPECT_EQ(progress.reports[i].second, kBigContent.size());
        if (i > 0) {
            EXPECT_GT(progress.reports[i].first, progress.reports[i - 1].first);
        }
    }
    EXPECT_EQ(progress.reports.back().first, kBigContent.size());
}

// A new target, an existing one: each is left as it was before the copy.
TEST_F(CopyProgressTest, CancelledCopyLeavesTargetAsItWas) {
    for (const bool targetExists : {false, true}) {
        SCOPED_TRACE(targetExists ? "existing target" : "new target");
        QFile::remove(path("out/big.bin"));
        ASSERT_TRUE(!targetExists || writeBytes(path("out/big.bin"), "old"));
        RecordingProgress progress(2);
        WrittenTargets targets;
        FileOperations files(targets, &progress);
        const Result result = files.copyFile(path("src/big.bin"), path("out/big.bin"));
        EXPECT_TRUE(result.isCancelled());
        EXPECT_TRUE(result.error().isEmpty());
        EXPECT_EQ(progress.reports.size(), 2u);
        EXPECT_EQ(entriesOf(path("out")), targetExists ? QStringList{"big.bin"} : QStringList{});
        if (targetExists) {
            EXPECT_EQ(readBytes(path("out/big.bin")), "old");
        }
        EXPECT_EQ(readBytes(path("src/big.bin")), kBigContent);
    }
}

TEST_F(CopyProgressTest, CancelledMoveAcrossFileSystemsKeepsTheSource) {
    SmallTmpfs other(path("other"), "size=32m");
    if (!other.isMounted())
        GTEST_SKIP() << other.whyNot();
    RecordingProgress progress(1);
    WrittenTargets targets;
    FileOperations files(targets, &progress);
    EXPECT_TRUE(files.moveFile(path("src/big.bin"), path("other/big.bin")).isCancelled());
    EXPECT_EQ(entriesOf(path("other")), QStringList{});
    EXPECT_EQ(readBytes(path("src/big.bin")), kBigContent);
}

// A run stopped by its user shows how far it came, no error and no completion
// text, and stops there.
TEST_F(CopyProgressTest, CancelledRunSaysHowFarItCameAndStops) {
    ASSERT_TRUE(writeBytes(path("src/small.txt"), "small"));
    const QString out = path("out");
    ASSERT_TRUE(writeBytes(path("app/3copylist.txt"), (out + ',' + path("src/big.bin") + "\r\n" +
                                                       out + ',' + path("src/small.txt") + "\r\n")
                                                          .toUtf8()));
    FakePrompter prompter;
    RecordingProgress progress(1);
    JobRunner runner(prompter);
    runner.setCopyProgress(&progress);
    RunSettings settings;
    settings.previewText = QStringLiteral("1");
    EXPECT_FALSE(runner.run(RunMode::Copy, QStringLiteral("3"), settings, m_folder.appFolder()));
    EXPECT_EQ(progress.reports.size(), 1u);
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"処理を中止しました。（2 件中 0 件を処理済み）"});
    EXPECT_EQ(entriesOf(out), QStringList{});
}

} // namespace
