#pragma once

#include <QString>
#include <QStringView>

// Sources in delete mode may be patterns with the wildcards "*" (any run of
// characters) and "?" (exactly one character). Nothing else is special: a
// file name holding "[" or "\" matches itself, which is why Qt's wildcard
// syntax, with its character classes, is not used here.
bool hasWildcards(QStringView text);

// Whether a whole file name matches a pattern, letter case counting.
bool matchesWildcard(QStringView pattern, QStringView name);
