#pragma once

#include "common/result.h"
#include "files/text_codec.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Reads a settings or job list file line by line, so that a file of any
// length is streamed rather than held in memory. The file must be an ordinary
// file; it may be UTF-8, Shift-JIS or UTF-16 with a byte-order mark, and CR LF,
// LF or a lone CR ends a line, as the editors of every system write them.
class TextLineReader {
  public:
    // Opens the file; a failure names the file and why it cannot be read.
    Result open(const QString& path);

    // The bytes of the next line without its line break, valid until the next
    // call; nothing at the end, or when the file cannot be read or a line is
    // too long: then error() says which line of which file.
    std::optional<QByteArrayView> next();
    bool failed() const { return !m_error.isEmpty(); }

    // The text of a line that next() returned. Lines are handed out undecoded
    // so that a caller can read plain UTF-8 bytes without building the text.
    QString decode(QByteArrayView line) { return m_decoder.decode(line); }
    FileEncoding encoding() const { return m_encoding; }

    // The number of the line that next() returned last, counted from 1.
    qint64 lineNumber() const { return m_lineNumber; }
    const QString& path() const { return m_path; }
    const QString& error() const { return m_error; }

  private:
    qsizetype findLineBreak(qsizetype from) const;
    char16_t unitAt(qsizetype position) const;
    bool readBlock();
    std::optional<QByteArrayView> fail(const QString& error);

    QFile m_file;
    QString m_path;
    FileEncoding m_encoding = FileEncoding::Utf8;
    qsizetype m_unit = 1; // bytes per character of the ASCII range
    QStringDecoder m_decoder;
    QByteArray m_buffer;
    qsizetype m_start = 0; // where the next line begins in m_buffer
    qsizetype m_scan = 0;  // where the search for its line break goes on
    bool m_atEnd = false;
    qint64 m_lineNumber = 0;
    QString m_error;
};
