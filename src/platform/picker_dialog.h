#pragma once

#include "platform/file_dialogs.h"

class QWidget;

// The choosers as Qt's own modal file dialogs (translated into Japanese with
// the rest of Qt's texts), owned by the window that opens them.
class PickerDialog : public FileDialogs {
  public:
    explicit PickerDialog(QWidget* owner);

    QString openExistingFile(const QString& title, const QStringList& filters,
                             const QString& folder) override;
    QString chooseFolder(const QString& prompt, const QString& startFolder) override;

  private:
    QWidget* m_owner;
};
