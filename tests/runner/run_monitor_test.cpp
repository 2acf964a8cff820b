// What the window's progress dialog reads of a run, and the cancel it sends back.

#include "files/app_folder.h"
#include "runner/job_runner.h"
#include "runner/run_monitor.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <gtest/gtest.h>

using namespace test_support;

namespace {

TEST(RunMonitorTest, CountsRecordsAndBytesAndStopsTheRunWhenCancelled) {
    TemporaryAppFolder folder("app");
    ASSERT_TRUE(folder.isValid());
    const QString root = folder.root() + "/";
    ASSERT_TRUE(writeBytes(root + "src/a.bin", QByteArray(3000, 'a')));
    ASSERT_TRUE(writeBytes(root + "src/b.bin", QByteArray(5000, 'b')));
    ASSERT_TRUE(QDir().mkpath(root + "out"));
    ASSERT_TRUE(writeBytes(
        root + "app/3copylist.txt",
        (root + "out/," + root + "src/a.bin\n" + root + "out/," + root + "src/b.bin\n").toUtf8()));
    FakePrompter prompter;
    JobRunner runner(prompter);
    RunMonitor monitor;
    runner.setProgress(&monitor);
    runner.setCopyProgress(&monitor);

    EXPECT_TRUE(runner.run(RunMode::Copy, "3", RunSettings(), GetAppFolder()));
    const RunMonitor::Snapshot done = monitor.snapshot();
    EXPECT_EQ(done.recordCount, 2);
    EXPECT_EQ(done.recordIndex, 1);
    EXPECT_EQ(done.source, root + "src/b.bin");
    EXPECT_EQ(done.fileBytesCopied, 5000);
    EXPECT_EQ(done.fileSize, 5000);
    EXPECT_EQ(done.runBytesCopied, 8000);
    EXPECT_TRUE(done.ended);

    // Asked to stop, the run stops before anything lands.
    QFile::remove(root + "out/a.bin");
    QFile::remove(root + "out/b.bin");
    monitor.requestCancel();
    EXPECT_FALSE(runner.run(RunMode::Copy, "3", RunSettings(), GetAppFolder()));
    EXPECT_EQ(entriesOf(root + "out"), QStringList());
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"処理を中止しました。（2 件中 0 件を処理済み）"});
}

} // namespace
