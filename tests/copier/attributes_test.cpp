// What a copy and a move across file systems keep of a file besides its data (ACL, special
// bits, owner, extended attributes, times, holes), also where the target refuses a change,
// and that a copy the kernel cuts short never takes the target's name. Refusals and early ends
// are made by a preloaded library (tests/shim), since the machine's file systems allow them.

#include "support/app_sandbox.h"
#include "support/pattern_file.h"
#include "support/run_expectations.h"
#include "support/small_tmpfs.h"

#include <QFile>

#include <gtest/gtest.h>

#include <acl/libacl.h>
#include <optional>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

using namespace test_support;

namespace {

const uid_t kNobody = 65534;

struct stat statusOf(const QString& path) {
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

QByteArray attribute(const QString& path, const char* name) {
    char value[64] = {};
    const ssize_t size = getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return size < 0 ? QByteArray() : QByteArray(value, size);
}

// A source at src/<name> and, for moves, a second file system (a tmpfs; needs root) at far/.
class AttributesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        m_src = m_sandbox.makeFolder(QStringLiteral("src"));
        m_out = m_sandbox.makeFolder(QStringLiteral("out"));
        m_far = m_sandbox.path(QStringLiteral("far"));
        if (!m_farDisk.emplace(m_far, "size=64m").isMounted())
            GTEST_SKIP() << m_farDisk->whyNot();
    }

    // Runs one record in the mode of `argument` ("/c1" or "/m1") with the given refusals.
    RunOutcome runOne(const QString& argument, const QString& folder, const QString& source,
                      const QString& refusals = {}, const QStringList& extra = {}) {
        return runJobs(argument, {{folder, source}}, refusals, extra);
    }

    RunOutcome runJobs(const QString& argument, const QList<JobLine>& records,
                       const QString& refusals = {}, const QStringList& extra = {}) {
        m_sandbox.writeJobList(QStringLiteral("1"), records);
        RunOptions options;
        options.environment = QStringList{QStringLiteral("LD_PRELOAD=" FENNICK_REFUSAL_SHIM),
                                          QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0"),
                                          QStringLiteral("FENNICK_REFUSE=") + refusals} +
                              extra;
        return m_sandbox.run({argument}, options);
    }

    // A file readable and writable by its owner and by the user nobody, not by its group.
    QString aclSource() {
        const QString path = m_src + QStringLiteral("/acl.txt");
        writeFile(path, "acl");
        const acl_t acl = acl_from_text("u::rw-,u:nobody:rw-,g::---,m::rw-,o::---");
        EXPECT_EQ(acl_set_file(QFile::encodeName(path).constData(), ACL_TYPE_ACCESS, acl), 0);
        acl_free(acl);
        return path;
    }

    AppSandbox m_sandbox;
    QString m_src;
    QString m_out;
    QString m_far;
    std::optional<SmallTmpfs> m_farDisk;
};

TEST_F(AttributesTest, MoveAcrossFileSystemsKeepsOwnerModeAclAttributesAndTimes) {
    const QString source = aclSource();
    ASSERT_EQ(::chown(QFile::encodeName(source).constData(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), 04660), 0);
    ASSERT_EQ(setxattr(QFile::encodeName(source).constData(), "user.origin", "camera", 6, 0), 0);
    setModificationTime(source, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789)));

    expectFinishedQuietly(runOne(QStringLiteral("/m1"), m_far, source));
    const QString moved = m_far + QStringLiteral("/acl.txt");
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(readBytes(moved), "acl");
    EXPECT_EQ(statusOf(moved).st_uid, kNobody);
    EXPECT_EQ(statusOf(moved).st_gid, kNobody);
    EXPECT_EQ(modeBits(moved), 04660u);
    EXPECT_EQ(acl_extended_file(QFile::encodeName(moved).constData()), 1);
    EXPECT_EQ(attribute(moved, "user.origin"), "camera");
    EXPECT_EQ(modificationTime(moved), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789)));
}

// Where the ACL cannot be stored, the group gets what its own ACL entry gives (nothing), not
// the mask; refused changes of mode, owner, attributes and times do not fail the copy or move.
TEST_F(AttributesTest, RefusedAttributeChangesCompleteAndNeverWidenTheGroup) {
    const struct {
        const char* refusals;
        unsigned mode;
    } cases[] = {{"", 0660},
                 {"fsetxattr=EOPNOTSUPP", 0600},
                 {"fsetxattr=EPERM,fchmod=EPERM,fchown=EPERM,futimens=EPERM", 0600}};
    for (const auto& rule : cases) {
        for (const QString& argument : {QStringLiteral("/c1"), QStringLiteral("/m1")}) {
            SCOPED_TRACE(std::string(rule.refusals) + " " + argument.toStdString());
            const QString source = aclSource();
            const QString folder = argument == "/c1" ? m_out : m_far;
            expectFinishedQuietly(runOne(argument, folder, source, rule.refusals));
            EXPECT_EQ(readBytes(folder + QStringLiteral("/acl.txt")), "acl");
            EXPECT_EQ(modeBits(folder + QStringLiteral("/acl.txt")), rule.mode);
            EXPECT_EQ(QFile::exists(source), argument == "/c1");
        }
    }
}

// A kernel copy that ends early or is refused turns to reading and writing; a source that ends
// before its size fails the copy, and the move keeps it.
TEST_F(AttributesTest, ShortKernelCopiesAreNeverTrusted) {
    const QString source = m_src + QStringLiteral("/big.bin");
    const struct {
        const char* refusals;
        bool completes;
    } cases[] = {{"copy_file_range=0", true},
                 {"copy_file_range=ENOSYS", true},
                 {"copy_file_range=0,pread=0", false}};
    for (const auto& rule : cases) {
        for (const QString& argument : {QStringLiteral("/c1"), QStringLiteral("/m1")}) {
            SCOPED_TRACE(std::string(rule.refusals) + " " + argument.toStdString());
            PatternFile::write(source, 3);
            const QString target = m_far + QStringLiteral("/big.bin");
            QFile::remove(target);
            const RunOutcome outcome = runOne(argument, m_far, source, rule.refusals);
            if (rule.completes) {
                expectFinishedQuietly(outcome);
                EXPECT_TRUE(PatternFile::matches(target, 3));
            } else {
                expectFailure(outcome, QStringLiteral("最後まで読み取れません"), source);
                EXPECT_EQ(entriesOf(m_far), QStringList());
            }
            EXPECT_EQ(QFile::exists(source), argument == "/c1" || !rule.completes);
        }
    }
}

// Only data regions are written: a large hole stays a hole, at the end too.
TEST_F(AttributesTest, HolesStayHoles) {
    const QString source = m_src + QStringLiteral("/disk.img");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.seek(40 << 20) && file.write("data") == 4 &&
                file.resize(60 << 20));
    file.close();
    for (const QString& argument : {QStringLiteral("/c1"), QStringLiteral("/m1")}) {
        const QString folder = argument == "/c1" ? m_out : m_far;
        expectFinishedQuietly(runOne(argument, folder, source));
        const QString target = folder + QStringLiteral("/disk.img");
        EXPECT_EQ(statusOf(target).st_size, 60 << 20);
        EXPECT_LT(statusOf(target).st_blocks * 512, 1 << 20) << argument.toStdString();
        EXPECT_EQ(readBytes(target).mid(40 << 20, 4), "data");
    }
}

// No source of a move goes before its copy is on the disk (flushed before it was named, or by
// a syncfs after) and the copy's folder entry too, whether a batch of copies is flushed with
// one syncfs or, where the kind of file system is unknown (as on FUSE), copy by copy.
TEST_F(AttributesTest, MovesFlushTheCopiesAndTheirFolderBeforeTheSourcesGo) {
    // Two batches: the first flushed in the background while the second is copied.
    QStringList names;
    for (int n = 0; n < 1001; ++n)
        names.append(QStringLiteral("%1.txt").arg(n));
    for (const QString& refusals : {QString(), QStringLiteral("fstatfs=EIO")}) {
        SCOPED_TRACE(refusals.toStdString());
        QList<JobLine> records;
        for (const QString& name : names) {
            writeFile(m_src + u'/' + name, name.toUtf8());
            QFile::remove(m_far + u'/' + name);
            records.append({m_far, m_src + u'/' + name});
        }
        const QString log = m_sandbox.path(QStringLiteral("calls.log"));
        QFile::remove(log);
        expectFinishedQuietly(runJobs(QStringLiteral("/m1"), records, refusals,
                                      {QStringLiteral("FENNICK_CALL_LOG=") + log}));
        const QStringList calls =
            QString::fromLatin1(readBytes(log)).split(u'\n', Qt::SkipEmptyParts);
        // Copies named so far: with their data not yet flushed, with it flushed, and with their
        // folder entry flushed too.
        int unflushed = 0, flushed = 0, durable = 0, unlinked = 0;
        bool dataFlushed = false;
        for (const QString& call : calls) {
            if (call == "fsync-file") {
                dataFlushed = true;
            } else if (call == "link" || call == "rename") {
                ++(dataFlushed ? flushed : unflushed);
                dataFlushed = false;
            } else if (call == "syncfs") {
                flushed += std::exchange(unflushed, 0);
            } else if (call == "fsync-folder") {
                durable = flushed;
            } else if (call == "unlink") {
                ASSERT_LE(++unlinked, durable) << "unlink number " << unlinked;
            }
        }
        EXPECT_EQ(unlinked, names.size());
        EXPECT_EQ(calls.count(QStringLiteral("syncfs")), refusals.isEmpty() ? 2 : 0);
    }
}

// Where a file system has neither unnamed temporary files nor a rename that refuses to replace
// (FUSE ones such as sshfs), every target is looked at before the rename: an existing file is
// replaced, a read-only one and one that the run wrote from another source are kept.
TEST_F(AttributesTest, WithoutRefusingCallsTargetsAreLookedAtBeforeTheRename) {
    const QString refusals = QStringLiteral("O_TMPFILE=EOPNOTSUPP,renameat2=EINVAL");
    const QString readOnly = QStringLiteral("読み取り専用のファイルです");
    const QString writtenByRun =
        QStringLiteral("同じ名前のファイルをこの実行で既に別のファイルから");
    for (const QString& argument : {QStringLiteral("/c1"), QStringLiteral("/m1")}) {
        SCOPED_TRACE(argument.toStdString());
        for (const char* name : {"a.txt", "b.txt", "locked.txt"}) {
            writeFile(m_src + "/" + name, "new");
            writeFile(m_out + "/" + name, "old");
        }
        ASSERT_EQ(chmod(QFile::encodeName(m_out + "/locked.txt").constData(), 0444), 0);
        const QString other = m_sandbox.makeFolder(QStringLiteral("src/other"));
        writeFile(other + "/a.txt", "other");

        expectFinishedQuietly(runOne(argument, m_out, m_src + "/b.txt", refusals));
        EXPECT_EQ(readBytes(m_out + "/b.txt"), "new");
        expectFailure(runOne(argument, m_out, m_src + "/locked.txt", refusals), readOnly,
                      m_out + "/locked.txt");
        EXPECT_EQ(readBytes(m_out + "/locked.txt"), "old");
        expectFailure(
            runJobs(argument, {{m_out, m_src + "/a.txt"}, {m_out, other + "/a.txt"}}, refusals),
            writtenByRun, m_out + "/a.txt");
        EXPECT_EQ(readBytes(m_out + "/a.txt"), "new");
        EXPECT_EQ(readBytes(other + "/a.txt"), "other");
        ASSERT_EQ(chmod(QFile::encodeName(m_out + "/locked.txt").constData(), 0644), 0);
    }
}

} // namespace
