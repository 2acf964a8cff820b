#pragma once

#include "common/run_mode.h"

#include <QString>

// The texts that a run at a terminal writes on standard error: the status
// line while it goes on and the summary when it has finished.

// How far a run has come, as the status line shows it.
struct StatusFigures {
    RunMode mode = RunMode::Copy;
    qint64 recordsDone = 0;
    qint64 recordCount = 0;
    qint64 bytesDone = 0;  // of the whole run
    qint64 byteTotal = -1; // of the whole run; -1 when not known
    qint64 fileBytesDone = 0;
    qint64 fileSize = 0;
    qint64 bytesPerSecond = -1; // -1 when not known yet
    QString source;             // the current record's, escaped
};

// Bytes as "512 B", "2.1 MiB", "640 MiB".
QString byteSize(qint64 bytes);

// The columns a text takes on a terminal: East Asian wide characters (kanji,
// kana, full-width forms) take two, combining marks none.
int terminalColumns(const QString& text);

// The text shortened in the middle ("/home/me/...t/report.odt") to at most
// `columns` columns; empty when not even a few columns are left.
QString shortenedToColumns(const QString& text, int columns);

// One line that fits in `columns` columns: records done of the total, the
// bytes done (of the current file instead when it is a large one), the rate,
// and the current source, shortened to the room that is left. A delete run
// shows records and source only.
QString statusLineText(const StatusFigures& figures, int columns);

// "コピー完了: 40 件、640 MiB、2.1 秒"; a delete run names no bytes.
QString runSummaryText(RunMode mode, qint64 records, qint64 bytes, qint64 milliseconds);
