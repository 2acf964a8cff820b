#include "platform/prompter_dialog.h"
#include "support/gui_application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

using namespace test_support;

namespace {

struct ShownBox {
    QString labelText;
    Qt::TextFormat format = Qt::AutoText;
};

// Answers the next message box with the button of the given role, and keeps
// what its text label shows.
void answerNextBox(ShownBox& shown, QMessageBox::ButtonRole role) {
    QTimer::singleShot(0, [&shown, role] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        shown = {label->text(), label->textFormat()};
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == role)
                button->click();
    });
}

// Paths and settings texts with markup characters are shown as they are, so
// a question names the very file that Yes deletes.
TEST(PrompterDialogTest, ShowsPathsAndSettingsTextsLiterally) {
    ensureGuiApplication();
    DialogPrompter prompter;
    for (const QString& text : {QStringLiteral("a<b>c.txtを削除します。"),
                                QStringLiteral("<i>done</i>"), QStringLiteral("R&D &amp; <br>x")}) {
        ShownBox shown;
        answerNextBox(shown, QMessageBox::YesRole);
        EXPECT_EQ(prompter.askYesNo(text, QStringLiteral("削除")), Answer::Yes);
        EXPECT_EQ(shown.format, Qt::PlainText);
        EXPECT_EQ(shown.labelText, text);

        answerNextBox(shown, QMessageBox::NoRole);
        EXPECT_EQ(prompter.askYesNo(text, QStringLiteral("削除")), Answer::No);

        shown = {};
        answerNextBox(shown, QMessageBox::AcceptRole);
        prompter.showMessage(text);
        EXPECT_EQ(shown.format, Qt::PlainText);
        EXPECT_EQ(shown.labelText, text);
    }
}

} // namespace
