#include "runner/run_targets.h"

#include "support/file_helpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace test_support;

namespace {

struct stat entry(ino_t inode, mode_t mode = 0644) {
    struct stat info {};
    info.st_dev = 1;
    info.st_ino = inode;
    info.st_mode = S_IFREG | mode;
    return info;
}

const FileId kSource{1, 100}, kOtherSource{1, 200};

// The names a run wrote into a folder, in any letter case, where inode
// numbers tell nothing (each look-up numbered anew, as some FUSE file systems
// do): only the folder's listing shows whether two spellings are one file.
TEST(WrittenTargetsTest, ANameWrittenFromAnotherSourceClashesInAnyLetterCase) {
    struct Case {
        const char* written;
        const char* asked;
        QStringList inFolder;
        FileId source;
        bool clash;
    };
    const Case cases[] = {
        {"Abc.txt", "aBC.TXT", {"Abc.txt"}, kOtherSource, true},
        {"Abc.txt", "aBC.TXT", {"Abc.txt"}, kSource, false},
        {"Abc.txt", "abc.txt", {"Abc.txt", "abc.txt"}, kOtherSource, false},
        {"Abc.txt", "Abc.txt", {"Abc.txt"}, kOtherSource, true},
        {"Äpfel.txt", "äPFEL.txt", {"Äpfel.txt"}, kOtherSource, true},
        {"Äpfel.txt", "apfel.txt", {"Äpfel.txt", "apfel.txt"}, kOtherSource, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.written) + " / " + c.asked);
        QTemporaryDir folder;
        for (const QString& name : c.inFolder)
            ASSERT_TRUE(writeBytes(folder.filePath(name), "x"));
        WrittenTargets targets;
        targets.written(folder.filePath(QString::fromUtf8(c.written)), {kSource, {1, 1}, {}});
        const Result result =
            targets.mayReplace(folder.filePath(QString::fromUtf8(c.asked)), entry(2), c.source);
        EXPECT_EQ(result.ok(), !c.clash) << result.error().toStdString();
    }
}

// A target known by its inode, under any name: written from another source
// it clashes, from the same source it does not; once replaced, its inode
// number is free for an unrelated file.
TEST(WrittenTargetsTest, ATargetIsKnownByItsInodeUntilReplaced) {
    WrittenTargets targets;
    targets.written("/out/a.txt", {kSource, {1, 7}, {}});
    EXPECT_FALSE(targets.mayReplace("/alias/a.txt", entry(7), kOtherSource).ok());
    EXPECT_TRUE(targets.mayReplace("/alias/a.txt", entry(7), kSource).ok());
    EXPECT_FALSE(targets.mayReplace("/out/x.txt", entry(9, 0444), kSource).ok())
        << "a read-only file is never replaced";
    EXPECT_FALSE(targets.mayMove("/src/x.txt", entry(9, 0444)).ok());

    targets.written("/out/a.txt", {kSource, {1, 8}, FileId{1, 7}});
    EXPECT_TRUE(targets.mayReplace("/out/b.txt", entry(7), kOtherSource).ok());
    EXPECT_FALSE(targets.mayReplace("/out/a.txt", entry(8), kOtherSource).ok());
}

// Many names, most of them changed by folding, written into one folder, and
// then a few from another folder: each one is still known afterwards, also
// when written after the first question. A name written twice keeps its last
// source.
TEST(WrittenTargetsTest, EveryNameOfALongRunIsKnown) {
    WrittenTargets targets;
    const auto name = [](int i) { return QStringLiteral("/out/Name%1.txt").arg(i); };
    targets.written("/out/twice.txt", {kOtherSource, {1, 2}, {}});
    for (int i = 0; i < 5000; ++i)
        targets.written(name(i), {kSource, {1, ino_t(1000 + i)}, {}});
    targets.written("/other/x.txt", {kSource, {1, 1}, {}});
    targets.written("/out/twice.txt", {kSource, {1, 3}, {}});
    for (const int i : {0, 1, 2500, 4999}) {
        EXPECT_FALSE(targets.mayReplace(name(i), entry(9), kOtherSource).ok()) << i;
        EXPECT_FALSE(targets.mayReplace(name(i).toLower(), entry(9), kOtherSource).ok()) << i;
        EXPECT_TRUE(targets.mayReplace(name(i), entry(9), kSource).ok()) << i;
    }
    EXPECT_TRUE(targets.mayReplace("/out/Name5000.txt", entry(9), kOtherSource).ok());
    EXPECT_TRUE(targets.mayReplace("/out/twice.txt", entry(9), kSource).ok());
    EXPECT_FALSE(targets.mayReplace("/out/twice.txt", entry(9), kOtherSource).ok());

    targets.written("/out/Late.txt", {kOtherSource, {1, 4}, {}});
    EXPECT_FALSE(targets.mayReplace("/out/late.txt", entry(9), kSource).ok());
    EXPECT_FALSE(targets.mayReplace("/out/x.txt", entry(4), kSource).ok());
}

} // namespace
