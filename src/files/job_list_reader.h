#pragma once

#include "files/job_list.h"
#include "files/text_codec.h"

#include <QFile>
#include <QString>

// Reads a job list file record by record, so that a list of any length is
// streamed rather than held in memory. A UTF-8 file is read as such; any
// other is read as Shift-JIS.
class JobListReader {
  public:
    enum class Status { Record, End, Error };

    // Opens the file; a failure names the file and why it cannot be read.
    Result open(const QString& path);

    // The next record; Error when a line cannot be read or is no record, with
    // error() saying which line of which file.
    Status next(JobRecord& record);

    const QString& error() const { return m_error; }

    // The line that next() read last, counted from 1.
    qint64 lineNumber() const { return m_lineNumber; }

    // The number of lines of a file, to tell how far a run has come; 0 when
    // it cannot be read.
    static qint64 countLines(const QString& path);

  private:
    QFile m_file;
    QStringDecoder m_decoder;
    QByteArray m_line;
    qint64 m_lineNumber = 0;
    QString m_error;
};
