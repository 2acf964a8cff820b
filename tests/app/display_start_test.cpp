#include "support/app_sandbox.h"
#include "support/virtual_display.h"

#include <QFileInfo>
#include <QThread>

#include <X11/Xlib.h>

using namespace test_support;

namespace {

// Whether a top-level window with this title shows on the display within
// ten seconds.
bool windowAppears(const QByteArray& displayName, const QByteArray& title) {
    Display* display = XOpenDisplay(displayName.constData());
    if (!display)
        return false;
    bool found = false;
    for (int attempt = 0; attempt < 100 && !found; ++attempt) {
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(display, children[i], &name) && name)
                found = title == name;
            XFree(name);
        }
        XFree(children);
        if (!found)
            QThread::msleep(100);
    }
    XCloseDisplay(display);
    return found;
}

// With a display the program loads its display module from its own folder;
// without the module it still runs jobs, with messages on the terminal.
class DisplayStartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.isValid());
        if (!m_display.start())
            GTEST_SKIP() << "Xvfb is not installed; starts with a display need it";
        m_withDisplay.environment = {"DISPLAY=" + QString::fromLatin1(m_display.name())};
        const QString out = m_sandbox.makeFolder("out");
        writeFile(m_sandbox.path("a.txt"), "a");
        m_sandbox.writeJobList("3", {{out, m_sandbox.path("a.txt")}});
    }

    AppSandbox m_sandbox;
    VirtualDisplay m_display;
    RunOptions m_withDisplay;
};

TEST_F(DisplayStartTest, ARunWithADisplayShowsItsMessagesAsMessageBoxes) {
    const QString module =
        QFileInfo(QStringLiteral(FENNICK_EXECUTABLE)).path() + "/Fennick-display.so";
    ASSERT_TRUE(QFile::copy(module, m_sandbox.appFolder() + "Fennick-display.so"));
    RunOutcome outcome = m_sandbox.run({"/c3"}, m_withDisplay);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors.toStdString();
    EXPECT_TRUE(QFile::exists(m_sandbox.path("out/a.txt")));

    // The completion text waits in a message box, not on the terminal.
    m_sandbox.writeSettings("1");
    QProcess process;
    m_sandbox.start(process, {"/c3"}, m_withDisplay);
    EXPECT_TRUE(windowAppears(m_display.name(), "Fennick"));
    process.kill();
    process.waitForFinished();
    EXPECT_FALSE(process.readAllStandardError().contains(AppSandbox::kCopyDone.toUtf8()));
}

TEST_F(DisplayStartTest, WithoutTheModuleRunsStillWorkOnTheTerminal) {
    RunOutcome outcome = m_sandbox.run({"/c3"}, m_withDisplay);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors.toStdString();
    EXPECT_TRUE(QFile::exists(m_sandbox.path("out/a.txt")));

    outcome = m_sandbox.run({"/c9"}, m_withDisplay);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.errors.contains("ファイルが見つかりません: " + m_sandbox.jobListPath("9")));

    outcome = m_sandbox.run({}, m_withDisplay);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.errors.contains("画面を表示する部品を読み込めません"))
        << outcome.errors.toStdString();
}

} // namespace
