// A copy that cannot finish (full disk, file-size limit, killed process) never leaves a
// half-written file under the destination's name and never costs the user the source.

#include "support/app_sandbox.h"
#include "support/disk_files.h"
#include "support/pattern_file.h"
#include "support/run_expectations.h"
#include "support/small_tmpfs.h"

#include <QDeadlineTimer>
#include <QDir>

#include <gtest/gtest.h>

#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace test_support;

namespace {

const QByteArray kOldContent(100 * 1024, 'o');

// Waits until the process has a file open in the folder that holds at least the given number of
// bytes, or until it ends. Progress is read from /proc (the open file, even one without a name),
// so the kill lands inside the copy however fast the machine is.
void waitForWriteProgress(QProcess& process, const QString& folder, qint64 bytes) {
    const QString prefix = QFileInfo(folder).canonicalFilePath() + u'/';
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(process.processId()));
    const QDeadlineTimer deadline(30000);
    while (!process.waitForFinished(0) && !deadline.hasExpired()) {
        for (const QString& name :
             descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString path = descriptors.filePath(name);
            struct stat status {};
            if (QFile::symLinkTarget(path).startsWith(prefix) &&
                ::stat(QFile::encodeName(path).constData(), &status) == 0 &&
                S_ISREG(status.st_mode) && status.st_size >= bytes)
                return;
        }
    }
}

// Names a failed or stopped copy may leave in the destination folder: the destination itself
// and, only after a killed process, temporary files of the program.
void expectOnlyDestinationAndTemporaries(const QString& folder, const QString& destination) {
    for (const QString& name : entriesOf(folder)) {
        EXPECT_TRUE(name == destination || name.startsWith(QStringLiteral(".fennick-")))
            << "unexpected file " << name.toStdString() << " in " << folder.toStdString();
    }
}

void removeTemporaries(const QString& folder) {
    for (const QString& name : entriesOf(folder)) {
        if (name.startsWith(QStringLiteral(".fennick-")))
            QFile::remove(folder + u'/' + name);
    }
}

// A 1 MiB tmpfs below the sandbox, unmounted before the sandbox goes; needs root.
class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        m_mountPoint = m_sandbox.path(QStringLiteral("small"));
        if (!m_disk.emplace(m_mountPoint, "size=1m").isMounted())
            GTEST_SKIP() << m_disk->whyNot();
    }

    AppSandbox m_sandbox;
    QString m_mountPoint;
    std::optional<SmallTmpfs> m_disk;
};

} // namespace

TEST(CopySafety, FileSizeLimitFailsTheCopyAndKeepsTheOldDestination) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    const QString fresh = sandbox.makeFolder(QStringLiteral("fresh"));
    writeFile(src + QStringLiteral("/small.txt"), "small");
    PatternFile::write(src + QStringLiteral("/big.bin"), 3);
    writeFile(src + QStringLiteral("/later.txt"), "later");
    writeFile(out + QStringLiteral("/big.bin"), kOldContent);
    // Writing past 1 MiB fails with EFBIG (the program does not die of SIGXFSZ).
    const RunOptions limited{.childModifier = [] {
        const rlimit limit{1024 * 1024, 1024 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }};

    sandbox.writeJobList(QStringLiteral("3"), {{out, src + QStringLiteral("/small.txt")},
                                               {out, src + QStringLiteral("/big.bin")},
                                               {out, src + QStringLiteral("/later.txt")}});
    expectFailure(sandbox.run({QStringLiteral("/c3")}, limited),
                  QStringLiteral("ファイルが大きすぎます"), out);
    EXPECT_EQ(entriesOf(out),
              QStringList({QStringLiteral("big.bin"), QStringLiteral("small.txt")}));
    EXPECT_TRUE(readBytes(out + QStringLiteral("/big.bin")) == kOldContent);

    // With no old file, the failed copy leaves nothing at all.
    sandbox.writeJobList(QStringLiteral("4"), {{fresh, src + QStringLiteral("/big.bin")}});
    expectFailure(sandbox.run({QStringLiteral("/c4")}, limited),
                  QStringLiteral("ファイルが大きすぎます"), fresh);
    EXPECT_EQ(entriesOf(fresh), QStringList());
}

TEST_F(FullDisk, FullDiskFailsTheCopyAndKeepsTheOldDestinationAndTheSource) {
    const QString src = m_sandbox.makeFolder(QStringLiteral("src"));
    PatternFile::write(src + QStringLiteral("/big.bin"), 3);
    writeFile(m_mountPoint + QStringLiteral("/big.bin"), kOldContent);
    m_sandbox.writeJobList(QStringLiteral("3"), {{m_mountPoint, src + QStringLiteral("/big.bin")}});

    // Copy and move (another file system, so the move copies) fail alike and keep both files.
    for (const QString& argument : {QStringLiteral("/c3"), QStringLiteral("/m3")}) {
        SCOPED_TRACE(argument.toStdString());
        expectFailure(m_sandbox.run({argument}),
                      QStringLiteral("ディスクの空き領域が不足しています"), m_mountPoint);
        EXPECT_EQ(entriesOf(m_mountPoint), QStringList({QStringLiteral("big.bin")}));
        EXPECT_TRUE(readBytes(m_mountPoint + QStringLiteral("/big.bin")) == kOldContent);
        EXPECT_TRUE(PatternFile::matches(src + QStringLiteral("/big.bin"), 3));
    }
}

TEST_F(FullDisk, JobThatFillsTheDiskStopsAtTheFileThatDoesNotFit) {
    const QString src = m_sandbox.makeFolder(QStringLiteral("src"));
    const QString big = src + QStringLiteral("/big.bin");
    writeFile(src + QStringLiteral("/small.txt"), "small");
    PatternFile::write(big, 3);
    writeFile(src + QStringLiteral("/later.txt"), "later");
    m_sandbox.writeJobList(QStringLiteral("3"),
                           {{m_mountPoint, src + QStringLiteral("/small.txt")},
                            {m_mountPoint, big},
                            {m_mountPoint, src + QStringLiteral("/later.txt")}});

    // A new file that does not fit leaves nothing behind, by its name or a temporary one.
    expectFailure(m_sandbox.run({QStringLiteral("/c3")}),
                  QStringLiteral("ディスクの空き領域が不足しています"),
                  m_mountPoint + QStringLiteral("/big.bin"));
    EXPECT_EQ(entriesOf(m_mountPoint), QStringList({QStringLiteral("small.txt")}));
    EXPECT_EQ(readBytes(m_mountPoint + QStringLiteral("/small.txt")), "small");

    // Across file systems the move copies: the file before is moved, the rest stays.
    expectFailure(m_sandbox.run({QStringLiteral("/m3")}),
                  QStringLiteral("ディスクの空き領域が不足しています"),
                  m_mountPoint + QStringLiteral("/big.bin"));
    EXPECT_EQ(entriesOf(m_mountPoint), QStringList({QStringLiteral("small.txt")}));
    EXPECT_EQ(entriesOf(src),
              QStringList({QStringLiteral("big.bin"), QStringLiteral("later.txt")}));
    EXPECT_TRUE(PatternFile::matches(big, 3));
    EXPECT_EQ(readBytes(src + QStringLiteral("/later.txt")), "later");
}

TEST_F(FullDisk, NoFreeInodeFailsTheCopyBeforeItWritesAnything) {
    const QString folder = m_sandbox.path(QStringLiteral("few-inodes"));
    const SmallTmpfs fewInodes(folder, "size=1m,nr_inodes=16");
    ASSERT_TRUE(fewInodes.isMounted()) << fewInodes.whyNot();
    const QString src = m_sandbox.makeFolder(QStringLiteral("src"));
    writeFile(src + QStringLiteral("/kept.txt"), "new content");
    writeFile(src + QStringLiteral("/new.txt"), "new file");
    writeFile(folder + QStringLiteral("/kept.txt"), kOldContent);
    ASSERT_TRUE(fewInodes.useUpInodes());
    const QStringList before = entriesOf(folder);
    m_sandbox.writeJobList(QStringLiteral("3"), {{folder, src + QStringLiteral("/kept.txt")}});
    m_sandbox.writeJobList(QStringLiteral("4"), {{folder, src + QStringLiteral("/new.txt")}});

    // A replacing copy, a new copy and a move across file systems each need one more inode.
    for (const QString& argument :
         {QStringLiteral("/c3"), QStringLiteral("/c4"), QStringLiteral("/m3")}) {
        SCOPED_TRACE(argument.toStdString());
        expectFailure(m_sandbox.run({argument}),
                      QStringLiteral("ディスクの空き領域が不足しています"), folder);
        EXPECT_EQ(entriesOf(folder), before);
        EXPECT_TRUE(readBytes(folder + QStringLiteral("/kept.txt")) == kOldContent);
        EXPECT_EQ(entriesOf(src),
                  QStringList({QStringLiteral("kept.txt"), QStringLiteral("new.txt")}));
    }
}

TEST(CopySafety, KilledCopyLeavesTheOldOrTheNewContentNeverAMix) {
    constexpr int kMebibytes = 96;
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString source = sandbox.makeFolder(QStringLiteral("src")) + QStringLiteral("/large.bin");
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    const QString destination = out + QStringLiteral("/large.bin");
    PatternFile::write(source, kMebibytes);
    sandbox.writeJobList(QStringLiteral("3"), {{out, source}});

    // The kill lands at once (-1), as soon as a file is open in the destination folder (0) and
    // at several points of the copy's progress.
    const qint64 total = qint64(kMebibytes) * PatternFile::kChunk;
    for (const QString& argument : {QStringLiteral("/c3"), QStringLiteral("/m3")}) {
        for (const int percent : {-1, 0, 25, 50, 75, 99}) {
            SCOPED_TRACE((argument + QStringLiteral(" killed at %1 %").arg(percent)).toStdString());
            writeFile(destination, kOldContent);
            QProcess process;
            sandbox.start(process, {argument});
            if (percent >= 0)
                waitForWriteProgress(process, out, total * percent / 100);
            process.kill();
            process.waitForFinished();

            const bool newContent = PatternFile::matches(destination, kMebibytes);
            EXPECT_TRUE(newContent || readBytes(destination) == kOldContent);
            if (QFileInfo::exists(source))
                EXPECT_TRUE(PatternFile::matches(source, kMebibytes));
            else
                EXPECT_TRUE(newContent) << "the source is gone without a complete copy";
            expectOnlyDestinationAndTemporaries(out, QStringLiteral("large.bin"));
            removeTemporaries(out);
            // The next round starts from the whole source again.
            if (!QFileInfo::exists(source) && !(newContent && QFile::rename(destination, source)))
                PatternFile::write(source, kMebibytes);
        }
    }
}
