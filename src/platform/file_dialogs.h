#pragma once

#include <QString>
#include <QStringList>

// The platform's two modal choosers, replaced by a scripted fake in tests.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;

    // One existing file; its full path, or the empty text when cancelled.
    // Filters are "description (patterns)" entries, the first one selected.
    virtual QString openExistingFile(const QString& title, const QStringList& filters,
                                     const QString& folder) = 0;

    // A folder; its path, or the empty text when cancelled. The start
    // folder is preselected when it exists.
    virtual QString chooseFolder(const QString& prompt, const QString& startFolder) = 0;
};
