#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A file name or message made safe to write on one line of a log or a
// terminal, so that a name can neither break a line, forge a header, reorder
// what a reader sees nor send control sequences to a terminal: C0 controls
// and DEL are written as \xNN; C1 controls, the Unicode line and paragraph
// separators (U+2028, U+2029) and the bidirectional controls (U+202A–U+202E,
// U+2066–U+2069) as \uNNNN; a backslash as \\, so that every escaped text
// reads back one way only.
QString escapedText(const QString& text);

// The same escaping, appended to out in UTF-8: the run log builds its lines
// so, without a detour through QString.
void appendEscapedUtf8(QByteArray& out, QStringView text);

// The most bytes that one UTF-16 unit of a text takes escaped: \uNNNN.
constexpr qsizetype kMostEscapedBytesPerUnit = 6;
// The same escaping, written in UTF-8 at `to`, which has room for
// kMostEscapedBytesPerUnit bytes for each unit of the text; returns where
// the written bytes end.
char* writeEscapedUtf8(char* to, QStringView text);

// A file name's bytes as they stand on disk, for a name that may not be valid
// UTF-8: each byte that is not part of a valid UTF-8 character is written
// \xNN (80 to ff), everything else is escaped as above.
QString escapedFileName(QByteArrayView name);
