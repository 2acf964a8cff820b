#pragma once

#include <QByteArray>
#include <QString>

// The run log "_Fennick.log", beside the settings file in the application
// folder.
QString runLogFilePath();

// Keeps a log of runs below a size limit: while the file is larger, its
// oldest runs are dropped whole. A run begins at a line that starts with
// runStart; whatever stands before the first such line counts as the oldest
// run. The shortened file replaces the old one atomically. A log that cannot
// be read or replaced is left as it is.
void dropOldestRuns(const QString& path, const QByteArray& runStart, qint64 sizeLimit);

// A log file open for appending, one line at a time. Each line reaches the
// file with one write, without waiting for the disk, so that a killed run
// still leaves every line written before. A log that cannot be opened or
// written is given up silently: the log never stops or changes a run.
class RunLogFile {
  public:
    RunLogFile() = default;
    ~RunLogFile();
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // Opens the file for appending, creating it when missing.
    void open(const QString& path);

    // Writes the text and a line feed, in UTF-8.
    void appendLine(const QString& text);

  private:
    int m_fd = -1;
};
