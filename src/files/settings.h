#pragma once

#include "common/result.h"

#include <QString>

// The settings file "_Fennick.ini" in the application folder, rebuilt from
// GetAppFolder on every access so that a value edited by hand takes effect at
// the next read.
QString settingsFilePath();

// The whole settings file, read once: a run takes its values from this one
// reading. A missing file is the empty text; one that exists but cannot be
// read (permissions, a folder or device in its place) fails, naming the file.
Result readSettingsText(QString& text);

// The value of one key, or the empty text when the file, the section or the
// key is missing. Section and key names match without regard to letter case.
QString GetIniValue(const QString& section, const QString& key);

// Stores one key, creating the file and the section when missing; every other
// line of the file stays as it was, and the file is replaced atomically.
// Fails, with a message naming the settings file, when the value cannot be
// stored (a line break in it, a folder that cannot be written, a full disk).
Result PutIniValue(const QString& section, const QString& key, const QString& value);
