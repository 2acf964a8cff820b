#include "platform/prompter_dialog.h"

#include "common/message_text.h"

#include <QMessageBox>

namespace {

// Texts name paths and settings values, which may hold "<" or "&": they are
// shown literally, never taken for markup.
int execPlainMessageBox(const QString& caption, const QString& text,
                        QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, caption, withDisplayLineBreaks(text), buttons);
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::Yes))
        box.setDefaultButton(QMessageBox::Yes);
    return box.exec();
}

} // namespace

void DialogPrompter::showMessage(const QString& text, const QString& caption) {
    execPlainMessageBox(caption, text, QMessageBox::Ok);
}

Answer DialogPrompter::askYesNo(const QString& text, const QString& caption) {
    const int button = execPlainMessageBox(caption, text, QMessageBox::Yes | QMessageBox::No);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
