#pragma once

#include "common/result.h"

#include <QString>

// The private-profile (INI) format: "[section]" lines open sections, "key=value"
// lines inside them set keys. Section and key names match without regard to
// letter case or to blanks around them; the first matching section and the
// first matching key in it count. A value loses the blanks around it and then
// one pair of matching quotes (" or ') around the rest, so that a value with
// blanks at its ends can be stored quoted.

// The value of a key in an INI text, or the empty text when it is missing.
QString iniValue(const QString& text, const QString& section, const QString& key);

// Sets a key in an INI text: replaces the key's line, or adds the key after the
// last non-blank line of its section, or adds the section and the key at the
// end. Every other line stays as it was. Fails, leaving the text unchanged, with
// a sentence that says why, when the names or the value cannot be stored.
Result withIniValue(QString& text, const QString& section, const QString& key,
                    const QString& value);

// iniValue for a file (UTF-8, or Shift-JIS when not valid UTF-8); a missing or
// unreadable file has no values.
QString readIniValue(const QString& filePath, const QString& section, const QString& key);

// withIniValue for a file, which is created when missing and replaced
// atomically in UTF-8. On failure the file stays as it was and the message
// names the file.
Result writeIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& value);
