#include "about/about_dialog.h"
#include "about/system_info.h"
#include "fennick_version.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/widget_lookup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace test_support;

namespace {

// Deletes what closing has scheduled for deletion.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<QWidget*> aboutDialogs() {
    QList<QWidget*> dialogs;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("frmAbout"))
            dialogs.append(widget);
    return dialogs;
}

// Presses a key where the keyboard focus of the dialog is.
void press(QWidget* dialog, Qt::Key key) {
    QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &down);
    settle();
}

class AboutDialogTest : public ::testing::Test {
  protected:
    // The application ends before the program's exit, as it would in main().
    static void SetUpTestSuite() { s_application = new QApplication(s_argc, s_argv); }
    static void TearDownTestSuite() { delete s_application; }

    void TearDown() override {
        for (QWidget* dialog : aboutDialogs())
            dialog->close();
        settle();
    }

    FakePrompter m_prompter;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;
    SingleAboutDialog m_about{m_prompter, m_registry, m_starter};

  private:
    static inline int s_argc = 1;
    static inline char s_name[] = "about_dialog_test";
    static inline char* s_argv[] = {s_name, nullptr};
    static inline QApplication* s_application = nullptr;
};

TEST_F(AboutDialogTest, ASecondClickRaisesTheOneDialogWhichOutlivesTheMainWindow) {
    // The program's main window is closed, not deleted, when the user closes it.
    QWidget mainWindow;
    mainWindow.show();
    QPointer<AboutDialog> first = m_about.show(&mainWindow);
    AboutDialog* second = m_about.show(&mainWindow);
    EXPECT_EQ(second, first);
    EXPECT_EQ(aboutDialogs().size(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The program goes on while either window is open and ends when both are closed.
    bool openAfterMainWindow = false;
    QTimer::singleShot(0, &mainWindow, &QWidget::close);
    QTimer::singleShot(50, [&] {
        openAfterMainWindow = !mainWindow.isVisible() && first && first->isVisible();
        if (first)
            first->close();
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "the program did not end when both were closed";
    EXPECT_TRUE(openAfterMainWindow);
    settle();
    EXPECT_TRUE(first.isNull());

    // Opened again after closing: a new dialog.
    QPointer<AboutDialog> again = m_about.show(nullptr);
    ASSERT_FALSE(again.isNull());
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(aboutDialogs().size(), 1);

    // The dialog still open when its owner ends goes with it.
    {
        SingleAboutDialog owner(m_prompter, m_registry, m_starter);
        again = owner.show(nullptr);
    }
    EXPECT_TRUE(again.isNull());
}

TEST_F(AboutDialogTest, EscAndEnterCloseItUnlessTheToolButtonHasTheFocus) {
    QPointer<AboutDialog> dialog = m_about.show(nullptr);
    press(dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isNull()) << "Esc did not close the dialog";

    dialog = m_about.show(nullptr);
    ASSERT_EQ(dialog->focusWidget()->objectName(), "cmdOK");
    press(dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isNull()) << "Enter right after opening did not close the dialog";

    EXPECT_TRUE(m_prompter.messages.isEmpty());

    // Tab moves on to the tool button; Enter then presses it, and with a
    // registry that names no tool, the tool is not available.
    dialog = m_about.show(nullptr);
    press(dialog, Qt::Key_Tab);
    ASSERT_EQ(dialog->focusWidget()->objectName(), "cmdSysInfo");
    press(dialog, Qt::Key_Return);
    ASSERT_FALSE(dialog.isNull());
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{kSysInfoUnavailable});
    EXPECT_EQ(m_prompter.messages.value(0).caption, kApplicationTitle);
}

TEST_F(AboutDialogTest, ShowsTheVersionOfTheBuildInTheDesignedLayout) {
    AboutDialog* dialog = m_about.show(nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Fennickのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(findWidget<QLabel>(*dialog, "lblVersion").text(), "ﾊﾞｰｼﾞｮﾝ 1.1.0");
    EXPECT_EQ(findWidget<QLabel>(*dialog, "lblTitle").text(), "Fennick");
    EXPECT_STREQ(FENNICK_FILE_VERSION, "1.1.0.0");
    EXPECT_STREQ(FENNICK_VERSION_TEXT, "1.01");

    // A fixed size without minimise or maximise buttons, holding all of its
    // controls, the warning with room below it.
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->size(), dialog->minimumSize());
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);
    for (const QWidget* control : dialog->findChildren<QWidget*>())
        EXPECT_TRUE(dialog->rect().contains(control->geometry()))
            << control->objectName().toStdString();
    EXPECT_LT(findWidget<QLabel>(*dialog, "Label2").geometry().bottom(), dialog->height() - 1);
    const QLabel* icon = &findWidget<QLabel>(*dialog, "picIcon");
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
}

} // namespace
