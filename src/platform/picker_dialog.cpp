#include "platform/picker_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

QString PickerDialog::openExistingFile(const QString& title, const QStringList& filters,
                                       const QString& folder) {
    QFileDialog dialog(QApplication::activeWindow(), title, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

QString PickerDialog::chooseFolder(const QString& prompt, const QString& startFolder) {
    QFileDialog dialog(QApplication::activeWindow(), prompt);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (!startFolder.isEmpty() && QFileInfo(startFolder).isDir())
        dialog.setDirectory(startFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}
