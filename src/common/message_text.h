#pragma once

#include <QString>

// Some of the program's messages break their lines with a carriage return
// alone, which message boxes and terminals do not show as a line break (a
// terminal would even print the second line over the first). The text as it
// is shown: every CR and every CR LF becomes a line feed.
QString withDisplayLineBreaks(const QString& text);
