#include "platform/prompter_dialog.h"

#include "common/message_text.h"

#include <QMessageBox>

void DialogPrompter::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, withDisplayLineBreaks(text), QMessageBox::Ok);
    box.exec();
}

Answer DialogPrompter::askYesNo(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, withDisplayLineBreaks(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
