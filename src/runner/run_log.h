#pragma once

#include "common/result.h"
#include "common/run_mode.h"
#include "files/run_log_file.h"

#include <QDateTime>
#include <QString>

// What one run did, written to the run log in blocks of lines as the run goes
// (see RunLogFile):
// a header naming the run, one line for each file that a record copied,
// moved, deleted or left alone, or the error it failed with, and a closing
// line. Names and messages are escaped (escapedText), so that lines never
// hold a line break and a run's header is always found at a line start.
class RunLog {
  public:
    struct Start {
        QDateTime time;
        RunMode mode = RunMode::Copy;
        QString profileText;
        QString launchArgument; // empty when the run was started from the window
    };

    // Opens the log at the path, after dropping its oldest runs when it is
    // over 1 MiB (see RunLogFile), and writes the header.
    RunLog(const QString& path, const Start& start);
    // A log that writes nothing.
    RunLog();

    // The record on this line of the job list is carried out next.
    void recordStarting(qint64 lineNumber);

    // A file copied or moved; `hash`, when the copy was read back and
    // checked, ends the line ("xxh128:" and 32 hexadecimal digits).
    void transferred(RunMode mode, const QString& source, const QString& target,
                     const QByteArray& hash = {});
    // A move whose source was deleted after later records had started, on its
    // own record's line.
    void movedEarlier(qint64 lineNumber, const QString& source, const QString& target,
                      const QByteArray& hash = {});
    // A file deleted for good; pattern is the record's source when it held
    // wildcards, and empty otherwise.
    void deleted(const QString& path, const QString& pattern);
    void trashed(const QString& path, const QString& pathInTrash, const QString& pattern);
    // A file left alone because the user answered No.
    void skipped(const QString& path);

    // The record on that line failed, or the user cancelled the run there.
    void recordFailed(qint64 lineNumber, const Result& failure);

    // The closing line: the number of records carried out, or where the run
    // was cancelled, or the error that stopped it and, when a record failed,
    // its line. Every line is written then.
    void runEnded(const Result& result);

    // Writes the lines so far, before the user is shown a message or asked.
    void flush() { m_file.flush(); }

  private:
    void transferLine(qint64 lineNumber, RunMode mode, const QString& source, const QString& target,
                      const QByteArray& hash);

    RunLogFile m_file;
    qint64 m_lineNumber = 0;
    qint64 m_records = 0;
    qint64 m_failedLine = 0;
};
