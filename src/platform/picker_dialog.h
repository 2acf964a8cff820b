#pragma once

#include "platform/file_dialogs.h"

// The choosers as Qt's own modal file dialogs (translated into Japanese with
// the rest of Qt's texts), each owned by the window that is active when it
// opens: the main window, whose button opened it.
class PickerDialog : public FileDialogs {
  public:
    QString openExistingFile(const QString& title, const QStringList& filters,
                             const QString& folder) override;
    QString chooseFolder(const QString& prompt, const QString& startFolder) override;
};
