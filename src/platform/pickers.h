#pragma once

#include <QString>

class FileDialogs;

// The file picker and the folder browser with the two texts they keep for
// the program's lifetime: the last-used folder, shared by both, and the
// folder browser's start folder.
class Pickers {
  public:
    explicit Pickers(FileDialogs& dialogs);

    // Lets the user pick one existing file, first offering the caller's
    // filter, then all files, in the last-used folder. Returns the file's full
    // path, or the empty text when cancelled. A pick makes the file's folder
    // the last-used folder and the process's current folder, and sets fileName
    // to the file's name (the empty text after a cancel).
    QString SelectFile(const QString& description, const QString& pattern, QString& fileName);

    // Lets the user choose a folder, starting at startFolder when it exists.
    // Returns its path, or the empty text when cancelled.
    QString SelectFolder(const QString& prompt, const QString& startFolder);

    const QString& lastUsedFolder() const { return m_lastUsedFolder; }
    void setLastUsedFolder(const QString& folder) { m_lastUsedFolder = folder; }

  private:
    FileDialogs& m_dialogs;
    QString m_lastUsedFolder;
    QString m_startFolder;
};
