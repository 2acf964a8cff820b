#include "support/app_sandbox.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace test_support;

namespace {

// A run of the built program whose standard error is a pseudo-terminal of 60
// columns (or a pipe), answering its questions only well after the first one,
// so that the run goes on long enough for its status line.
class TerminalRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        ASSERT_EQ(openpty(&m_master, &m_slave, nullptr, nullptr, nullptr), 0);
        const winsize size{24, 60, 0, 0};
        ioctl(m_slave, TIOCSWINSZ, &size);
        fcntl(m_master, F_SETFL, O_NONBLOCK);
        // A folder name too long for one line, so that the status line shortens it.
        const QString data = m_sandbox.path("data/" + QString(70, u'x') + "/");
        for (const char* name : {"a.txt", "b.txt"})
            writeFile(data + name, "1234");
        m_sandbox.makeFolder("out");
        m_sandbox.writeJobList("3", {{m_sandbox.path("out"), data + "a.txt"},
                                     {m_sandbox.path("out"), data + "b.txt"}});
    }
    void TearDown() override {
        close(m_master);
        close(m_slave);
    }

    // What the run wrote on the terminal, or on the pipe when not `atTerminal`.
    QString run(const QString& argument, bool atTerminal, const QByteArray& answers = {}) {
        QProcess process;
        RunOptions options;
        if (atTerminal)
            options.childModifier = [this] { dup2(m_slave, STDERR_FILENO); };
        m_sandbox.start(process, {argument}, options);
        QByteArray written;
        QElapsedTimer clock;
        clock.start();
        // The answers go in well after the first question, however slowly the program starts.
        qint64 asked = -1;
        bool answered = answers.isEmpty();
        while (!process.waitForFinished(20) && clock.elapsed() < 30000) {
            written +=
                readTerminal() + (atTerminal ? QByteArray() : process.readAllStandardError());
            if (asked < 0 && written.contains("[y/N] "))
                asked = clock.elapsed();
            if (!answered && asked >= 0 && clock.elapsed() > asked + 800) {
                process.write(answers);
                process.closeWriteChannel();
                answered = true;
            }
        }
        EXPECT_EQ(process.exitCode(), 0);
        for (QByteArray rest; !(rest = readTerminal()).isEmpty();)
            written += rest;
        written += process.readAllStandardError();
        return QString::fromUtf8(written).replace("\r\n", "\n");
    }

    QByteArray readTerminal() {
        QByteArray bytes(4096, '\0');
        const ssize_t count = read(m_master, bytes.data(), bytes.size());
        return count > 0 ? bytes.left(count) : QByteArray();
    }

    AppSandbox m_sandbox;
    int m_master = -1;
    int m_slave = -1;
};

TEST_F(TerminalRunTest, TheStatusLineGivesWayToEachQuestionAndTheSummaryEndsTheRun) {
    m_sandbox.writeSettings("1");
    const QString written = run("/d3", true, "y\ny\n");
    // Drawn after the first answer, cleared before the second question.
    const qsizetype drawn = written.indexOf(QRegularExpression("\r0/2 件  /[^\r]*a\\.txt\x1b\\[K"));
    ASSERT_GE(drawn, 0) << written.toStdString();
    EXPECT_GT(written.indexOf("\r\x1b[K削除: b.txtを削除します。", drawn), drawn);
    // Each status line fits in the terminal's 60 columns, its last one left free.
    for (const QString& line : written.split('\r').filter(QRegularExpression("^\\d+/2 件"))) {
        const qsizetype columns = line.size() - 3 /* \x1b[K */ + 1 /* 件 takes two */;
        EXPECT_EQ(columns, 59) << line.toStdString();
    }
    // After the completion text, the summary.
    EXPECT_TRUE(written.contains(
        QRegularExpression("Fennick: 削除が終わりました\n削除完了: 2 件、\\d+\\.\\d 秒\n$")))
        << written.toStdString();
}

TEST_F(TerminalRunTest, ACopyRunEndsWithItsBytesInTheSummary) {
    const QString written = run("/c3", true);
    EXPECT_TRUE(written.contains(QRegularExpression("^コピー完了: 2 件、8 B、\\d+\\.\\d 秒\n$")))
        << written.toStdString();
}

TEST_F(TerminalRunTest, NothingChangesWhenStandardErrorIsNoTerminal) {
    m_sandbox.writeSettings("1");
    EXPECT_EQ(run("/d3", false, "y\ny\n"),
              "削除: a.txtを削除します。 [y/N] 削除: b.txtを削除します。 [y/N] "
              "Fennick: 削除が終わりました\n");
}

} // namespace
