#pragma once

#include "files/job_list.h"
#include "files/text_line_reader.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a job list file record by record, so that a list of any length is
// streamed rather than held in memory. Lines of blanks only are skipped.
class JobListReader {
  public:
    // Opens the file; a failure names the file and why it cannot be read.
    Result open(const QString& path) { return m_lines.open(path); }

    // The next record; nothing at the end, or when a line cannot be read or
    // is no record: then error() says which line of which file and why.
    std::optional<JobRecord> next();

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    // The line that next() read last, counted from 1.
    qint64 lineNumber() const { return m_lines.lineNumber(); }

    // The number of records a file holds (its lines that are not blank), to
    // tell how far a run has come; 0 when it cannot be read.
    static qint64 countLines(const QString& path);

  private:
    const QString& destinationText(QByteArrayView bytes);

    TextLineReader m_lines;
    QString m_error;
    QByteArray m_destinationBytes; // in UTF-8, of the record read last
    QString m_destination;
};
