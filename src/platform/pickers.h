#pragma once

#include <QString>

class FileDialogs;

// The file picker and the folder browser with the last-used folder, which
// both share for the program's lifetime.
class Pickers {
  public:
    explicit Pickers(FileDialogs& dialogs);

    // Lets the user pick one existing file, first offering the caller's
    // filter, then all files, in the last-used folder. Returns the file's full
    // path, or the empty text when cancelled. A pick makes the file's folder
    // the last-used folder; the process's current folder stays, so that a
    // folder on a removable disk is not kept busy.
    QString SelectFile(const QString& description, const QString& pattern);

    // Lets the user choose a folder, starting at startFolder when it exists.
    // Returns its path, or the empty text when cancelled.
    QString SelectFolder(const QString& prompt, const QString& startFolder);

    const QString& lastUsedFolder() const { return m_lastUsedFolder; }
    void setLastUsedFolder(const QString& folder) { m_lastUsedFolder = folder; }

  private:
    FileDialogs& m_dialogs;
    QString m_lastUsedFolder;
};
