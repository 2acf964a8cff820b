#pragma once

#include "common/result.h"

#include <QList>
#include <QString>
#include <QStringList>

// The private-profile (INI) format: "[section]" lines open sections, "key=value"
// lines inside them set keys. Section and key names match without regard to
// letter case or to blanks around them; the first matching section and the
// first matching key in it count. A value loses the blanks around it and then
// one pair of matching quotes (" or ') around the rest, so that a value with
// blanks at its ends can be stored quoted.

// The value of a key in an INI text, or the empty text when it is missing.
// CR LF, LF and a lone CR all end a line.
QString iniValue(const QString& text, const QString& section, const QString& key);

// The values of several keys, found in one pass over the text.
struct IniKey {
    QString section;
    QString key;
};
QStringList iniValues(const QString& text, const QList<IniKey>& keys);

// Sets a key in an INI text: replaces the key's line, or adds the key after the
// last non-blank line of its section, or adds the section and the key at the
// end. Every other line stays as it was. Fails, leaving the text unchanged, with
// a sentence that says why, when the names or the value cannot be stored.
Result withIniValue(QString& text, const QString& section, const QString& key,
                    const QString& value);

// The whole text of an INI file (UTF-8, UTF-16 with a byte-order mark, or
// Shift-JIS when not valid UTF-8). A missing file is the empty text; one that
// exists but cannot be read, or is no ordinary file, fails naming the file.
Result readIniFile(const QString& filePath, QString& text);

// iniValue for a file; a missing or unreadable file has no values.
QString readIniValue(const QString& filePath, const QString& section, const QString& key);

// withIniValue for a file, which is created when missing and replaced
// atomically in UTF-8. A file that cannot be read, or only with characters
// replaced, is not written. On failure the file stays as it was and the
// message names the file.
Result writeIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& value);
