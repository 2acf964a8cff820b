#pragma once

#include <QString>

// A file name or message made safe to write on one line of a log or a
// terminal: control characters, which a file name may hold, are written as
// \xNN, so that a name can neither break a line, forge a header, nor send
// control sequences to a terminal.
QString escapedText(const QString& text);
