#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The run log "_Fennick.log", beside the settings file in the application
// folder.
QString runLogFilePath();

// How a log of runs is kept in bounds. A run begins at a line that starts
// with runStart; whatever stands before the first such line counts as the
// oldest run.
struct RunLogLimits {
    QByteArray runStart;
    // A log larger than this when a run opens it is trimmed first: its oldest
    // runs are dropped until it is no larger than trimmedSize, but the newest
    // run it holds is always kept whole, whatever its size.
    qint64 sizeLimit = 0;
    qint64 trimmedSize = 0;
};

// A log file open for appending, one line at a time. Lines are gathered in
// memory and written in blocks of whole lines, without waiting for the disk:
// a block goes out when it reaches 64 KiB, when a line is added a tenth of a
// second or more after the block began, on flush() and when the file is
// closed. A killed run thus leaves every line but those of its last moments,
// and never a broken line unless a write itself failed. The log is never reached through a
// symbolic link: a link, or anything else that is not an ordinary file, in
// its place means no log for this run, said once on standard error. A log
// that cannot be opened or written otherwise is given up silently: the log
// never stops or changes a run.
//
// Runs that share the log lose no line: each holds a shared lock (flock) on
// the file while it writes, and a run trims only when it can take the lock
// alone, so that no run's file is replaced under it; a trim waits for the
// next start otherwise.
class RunLogFile {
  public:
    RunLogFile() = default;
    ~RunLogFile();
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // Opens the file for appending, creating it when missing, after trimming
    // it when it is over the limit.
    void open(const QString& path, const RunLogLimits& limits);

    // A line is written in UTF-8 straight into the block: this gives room
    // for at least `bytes` bytes after the lines so far, and endLine(end)
    // ends the line where its bytes in that room end, with a line feed. The
    // block is written when it is due.
    char* lineSpace(qsizetype bytes) {
        if (m_used + bytes >= m_block.size())
            growBlock(m_used + bytes + 1);
        return m_block.data() + m_used;
    }
    void endLine(char* end);
    // Writes the lines gathered so far.
    void flush();

  private:
    void growBlock(qsizetype size);

    int m_fd = -1;
    QByteArray m_block;       // lines not yet written, then room for the next one
    qsizetype m_used = 0;     // the bytes of the lines not yet written
    qint64 m_blockBegan = -1; // on the coarse monotonic clock, in ms; -1: no block
};
