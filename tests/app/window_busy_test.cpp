#include "support/file_helpers.h"
#include "support/window_test.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <functional>

using namespace test_support;

namespace {

// A delete job of profile 4 over two files, with preview mode on or off.
class WindowBusyTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(writeBytes(path("src/a.txt"), "a"));
        ASSERT_TRUE(writeBytes(path("src/b.txt"), "b"));
        ASSERT_TRUE(writeBytes(
            path("4copylist.txt"),
            ("/out/," + path("src/a.txt") + "\r\n/out/," + path("src/b.txt") + "\r\n").toUtf8()));
    }

    void writeSettings(const QByteArray& preview) {
        ASSERT_TRUE(
            writeBytes(path("_Fennick.ini"), "[SEND Folder]\r\nFolderName4=/out\r\n[MSG]\r\n"
                                             "Preview=" +
                                                 preview + "\r\nDEL=削除完了\r\n"));
    }
};

// Posts a click that the desktop queued for a control.
void queueClick(QWidget* control) {
    const QPointF centre = QRectF(control->rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            control,
            new QMouseEvent(type, centre, control->mapToGlobal(centre), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

TEST_F(WindowBusyTest, AClickQueuedWhileAProfileLoadsIsDropped) {
    writeSettings("0");
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    click("Option1_1");
    // 実行 clicked while the profile was still loading would delete both files.
    queueClick(find<QPushButton>("Command2"));
    click("Option2_4");
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFile::exists(path("src/a.txt")));
    EXPECT_TRUE(m_prompter.messages.isEmpty());

    // Once the profile is shown, clicks act again.
    queueClick(find<QPushButton>("Command2"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(path("src/a.txt")));
}

// Answers like FakePrompter, and looks at the window while the run waits.
class WatchingPrompter : public FakePrompter {
  public:
    Answer askYesNo(const QString& text, const QString& caption) override {
        whileAsked();
        return FakePrompter::askYesNo(text, caption);
    }
    std::function<void()> whileAsked;
};

TEST_F(WindowBusyTest, ARunAsksOnTheWindowsThreadTakesNoInputAndCanBeCancelled) {
    writeSettings("1");
    WatchingPrompter prompter;
    MainWindow window(prompter, m_dialogs, m_registry, m_starter);
    findWidget<QAbstractButton>(window, "Option1_1").click();
    findWidget<QAbstractButton>(window, "Option2_4").click();
    auto* execute = &findWidget<QPushButton>(window, "Command2");
    bool askedOnWindowsThread = false;
    bool executeEnabledDuringRun = true;
    prompter.whileAsked = [&] {
        askedOnWindowsThread = QThread::currentThread() == window.thread();
        executeEnabledDuringRun = execute->isEnabled();
        auto* cancel = window.findChild<QPushButton*>("cancelButton");
        ASSERT_NE(cancel, nullptr);
        cancel->click();
    };
    prompter.answers = {Answer::Yes};

    execute->click();

    EXPECT_TRUE(askedOnWindowsThread);
    EXPECT_FALSE(executeEnabledDuringRun);
    EXPECT_TRUE(execute->isEnabled());
    // The file said yes to is gone; the run stopped before the next one.
    EXPECT_EQ(prompter.questionTexts(), QStringList{"a.txtを削除します。"});
    EXPECT_FALSE(QFile::exists(path("src/a.txt")));
    EXPECT_TRUE(QFile::exists(path("src/b.txt")));
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{"処理を中止しました。（2 件中 1 件を処理済み）"});
}

} // namespace
