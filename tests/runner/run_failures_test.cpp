// Silent runs that go wrong the way they do for users: the run stops at the first error with a
// message naming the path, exits with status 1, and what was done before stays done.

#include "support/app_sandbox.h"
#include "support/disk_files.h"
#include "support/run_expectations.h"

#include <QDirIterator>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace test_support;

namespace {

// The program run by a user without root's rights over the files: as root through setpriv as
// "nobody", otherwise as the current user, whom permission bits already restrict.
class Unprivileged : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        m_src = m_sandbox.makeFolder(QStringLiteral("src"));
        m_out = m_sandbox.makeFolder(QStringLiteral("out"));
    }

    // The temporary folder must stay removable.
    void TearDown() override { ::chmod(QFile::encodeName(m_src).constData(), 0755); }

    // Takes rights away from the program's user by giving the path the mode; false when that
    // cannot restrict anybody here.
    bool restrict(const QString& path, mode_t mode) {
        if (::geteuid() == 0 && !runAsNobody())
            return false;
        ::chmod(QFile::encodeName(path).constData(), mode);
        return ::geteuid() == 0 || ::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0;
    }

    AppSandbox m_sandbox;
    QString m_src;
    QString m_out;
    RunOptions m_options;

  private:
    bool runAsNobody() {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            return false;
        const QStringList wrapper = {setpriv, QStringLiteral("--reuid=65534"),
                                     QStringLiteral("--regid=65534"),
                                     QStringLiteral("--clear-groups")};
        if (QProcess::execute(setpriv, wrapper.mid(1) + QStringList{QStringLiteral("true")}) != 0)
            return false;
        // The temporary folder is the owner's alone; nobody has to reach the program and the files.
        ::chmod(QFile::encodeName(m_sandbox.root()).constData(), 0755);
        QDirIterator entries(m_sandbox.root(),
                             QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            const QString path = entries.next();
            ::chmod(QFile::encodeName(path).constData(), QFileInfo(path).isDir() ? 0755 : 0644);
        }
        ::chmod(QFile::encodeName(m_sandbox.executable()).constData(), 0755);
        if (::chown(QFile::encodeName(m_out).constData(), 65534, 65534) != 0)
            return false;
        m_options.wrapper = wrapper;
        return true;
    }
};

} // namespace

TEST(RunFailures, MissingJobListFailsNamingIt) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    sandbox.writeSettings(QStringLiteral("1"));
    for (const QString& argument :
         {QStringLiteral("/c3"), QStringLiteral("/d3"), QStringLiteral("/m3")}) {
        SCOPED_TRACE(argument.toStdString());
        const RunOutcome outcome = sandbox.run({argument});
        expectFailure(outcome, QStringLiteral("ファイルが見つかりません"),
                      sandbox.jobListPath(QStringLiteral("3")));
        EXPECT_FALSE(outcome.errors.contains(QStringLiteral("終わりました")));
    }
}

TEST(RunFailures, MissingSourceStopsTheRunAtThatRecord) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    sandbox.writeSettings(QStringLiteral("1"));
    for (const QString& argument : {QStringLiteral("/c3"), QStringLiteral("/m3")}) {
        SCOPED_TRACE(argument.toStdString());
        const QString out = sandbox.makeFolder(QStringLiteral("out") + argument.mid(1, 1));
        writeFile(src + QStringLiteral("/first.txt"), "first");
        writeFile(src + QStringLiteral("/third.txt"), "third");
        sandbox.writeJobList(QStringLiteral("3"), {{out, src + QStringLiteral("/first.txt")},
                                                   {out, src + QStringLiteral("/missing.txt")},
                                                   {out, src + QStringLiteral("/third.txt")}});

        const RunOutcome outcome = sandbox.run({argument});

        expectFailure(outcome, QStringLiteral("ファイルが見つかりません"),
                      src + QStringLiteral("/missing.txt"));
        EXPECT_FALSE(outcome.errors.contains(QStringLiteral("終わりました")));
        EXPECT_EQ(entriesOf(out), QStringList({QStringLiteral("first.txt")}));
        EXPECT_EQ(readBytes(out + QStringLiteral("/first.txt")), "first");
        EXPECT_EQ(readBytes(src + QStringLiteral("/third.txt")), "third");
    }
    // The move took the first file away before it failed.
    EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("third.txt")}));
}

TEST(RunFailures, MissingDestinationFolderIsNotCreatedAndKeepsTheSource) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString missing = sandbox.path(QStringLiteral("nowhere/deeper"));
    writeFile(src + QStringLiteral("/a.txt"), "a");
    sandbox.writeJobList(QStringLiteral("3"), {{missing, src + QStringLiteral("/a.txt")}});

    for (const QString& argument : {QStringLiteral("/c3"), QStringLiteral("/m3")}) {
        SCOPED_TRACE(argument.toStdString());
        const RunOutcome outcome = sandbox.run({argument});
        expectFailure(outcome, QStringLiteral("パスが見つかりません"), missing);
        // The terminal is told where the run stopped, too.
        EXPECT_TRUE(outcome.errors.contains(
            QStringLiteral("ジョブリストの 1 行目で停止しました（0 件処理済み）。")));
        EXPECT_FALSE(QFileInfo::exists(sandbox.path(QStringLiteral("nowhere"))));
        EXPECT_EQ(readBytes(src + QStringLiteral("/a.txt")), "a");
    }
}

TEST(RunFailures, CopyOntoItselfFailsAndKeepsTheFile) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString link = sandbox.path(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(src, link));
    writeFile(src + QStringLiteral("/self.txt"), "self");

    // The same folder, written differently and reached through a symbolic link.
    const QList<JobLine> records = {{src, src + QStringLiteral("/self.txt")},
                                    {src + u'/', src + QStringLiteral("/self.txt")},
                                    {link, src + QStringLiteral("/self.txt")},
                                    {src, link + QStringLiteral("/self.txt")}};
    for (const QString& argument : {QStringLiteral("/c3"), QStringLiteral("/m3")}) {
        for (const JobLine& record : records) {
            SCOPED_TRACE(
                (argument + u' ' + record.destination + u',' + record.source).toStdString());
            sandbox.writeJobList(QStringLiteral("3"), {record});
            expectFailure(sandbox.run({argument}),
                          QStringLiteral("コピー元とコピー先が同じファイルです"),
                          QStringLiteral("self.txt"));
            EXPECT_EQ(entriesOf(src), QStringList({QStringLiteral("self.txt")}));
            EXPECT_EQ(readBytes(src + QStringLiteral("/self.txt")), "self");
        }
    }
}

TEST(RunFailures, DestinationThatIsAHardLinkOfTheSourceKeepsItsContent) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString out = sandbox.makeFolder(QStringLiteral("out"));
    writeFile(src + QStringLiteral("/linked.txt"), "linked content");
    ASSERT_EQ(::link(QFile::encodeName(src + QStringLiteral("/linked.txt")).constData(),
                     QFile::encodeName(out + QStringLiteral("/linked.txt")).constData()),
              0);
    sandbox.writeJobList(QStringLiteral("3"), {{out, src + QStringLiteral("/linked.txt")}});

    // Whether the program refuses this or copies, neither name may lose the content.
    const RunOutcome outcome = sandbox.run({QStringLiteral("/c3")});
    EXPECT_TRUE(outcome.endedByItself);
    EXPECT_EQ(readBytes(src + QStringLiteral("/linked.txt")), "linked content");
    EXPECT_EQ(readBytes(out + QStringLiteral("/linked.txt")), "linked content");
}

TEST(RunFailures, LineThatIsNotExactlyOneRecordStopsTheRun) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    for (const char* name : {"first.txt", "b.txt", "c.txt", "last.txt"})
        writeFile(src + u'/' + QString::fromUtf8(name), name);

    const QString out = sandbox.path(QStringLiteral("out"));
    const QStringList badLines = {
        src + QStringLiteral("/b.txt"),                                                // one field
        out + u',' + src + QStringLiteral("/b.txt,") + src + QStringLiteral("/c.txt"), // three
        u'"' + out + QStringLiteral(",") + src + QStringLiteral("/b.txt"), // unclosed quote
    };
    for (const QString& bad : badLines) {
        SCOPED_TRACE(bad.toStdString());
        QDir(out).removeRecursively();
        sandbox.makeFolder(QStringLiteral("out"));
        // The quoted field after the bad line must not close what the bad line left open.
        writeFile(sandbox.jobListPath(QStringLiteral("3")),
                  (out + u',' + src + QStringLiteral("/first.txt\r\n") + bad +
                   QStringLiteral("\r\n") + out + QStringLiteral(",\"") + src +
                   QStringLiteral("/last.txt\"\r\n"))
                      .toUtf8());

        expectFailure(sandbox.run({QStringLiteral("/c3")}),
                      QStringLiteral("ジョブリストの行を読み取れません"),
                      sandbox.jobListPath(QStringLiteral("3")));
        EXPECT_EQ(entriesOf(out), QStringList({QStringLiteral("first.txt")}));
    }
}

TEST_F(Unprivileged, SourceThatCannotBeReadStopsTheRun) {
    writeFile(m_src + QStringLiteral("/first.txt"), "first");
    writeFile(m_src + QStringLiteral("/secret.txt"), "secret");
    writeFile(m_src + QStringLiteral("/third.txt"), "third");
    if (!restrict(m_src + QStringLiteral("/secret.txt"), 0))
        GTEST_SKIP() << "cannot run the program as a user whom permissions restrict";
    m_sandbox.writeJobList(QStringLiteral("3"), {{m_out, m_src + QStringLiteral("/first.txt")},
                                                 {m_out, m_src + QStringLiteral("/secret.txt")},
                                                 {m_out, m_src + QStringLiteral("/third.txt")}});

    expectFailure(m_sandbox.run({QStringLiteral("/c3")}, m_options),
                  QStringLiteral("アクセスが拒否されました"),
                  m_src + QStringLiteral("/secret.txt"));
    EXPECT_EQ(entriesOf(m_out), QStringList({QStringLiteral("first.txt")}));
}

TEST_F(Unprivileged, MoveOutOfAFolderThatCannotBeChangedKeepsTheSource) {
    writeFile(m_src + QStringLiteral("/kept.txt"), "kept");
    if (!restrict(m_src, 0555))
        GTEST_SKIP() << "cannot run the program as a user whom permissions restrict";
    m_sandbox.writeJobList(QStringLiteral("4"), {{m_out, m_src + QStringLiteral("/kept.txt")}});

    // The message names the source (or its folder), which is what the user has to change.
    expectFailure(m_sandbox.run({QStringLiteral("/m4")}, m_options),
                  QStringLiteral("アクセスが拒否されました"), m_src);
    EXPECT_EQ(readBytes(m_src + QStringLiteral("/kept.txt")), "kept");
}
