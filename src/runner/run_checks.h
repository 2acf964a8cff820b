#pragma once

#include "common/result.h"
#include "runner/run_settings.h"

#include <QString>

// What a run checks on its way and how it reports a stop, shared by the run
// and the dry run so that both say the same thing in the same words.

// The name under which a copy lands: the source's own. A plain path is
// checked by the copy itself, which takes ordinary files only; a pattern is
// never copied, unless a file bears that very name.
Result destinationName(const QString& source, QStringView& name);

// A Preview value that is not a number, named with the settings file.
Result previewNotANumber(const RunSettings& settings);

// A value of an on/off setting ("Trash", "Verify") that is neither 0 nor 1,
// named with the settings file.
Result notASwitch(const char* key, const QString& value);

// A Verify value that is neither on nor off stops every run before it
// touches a file.
Result checkVerifySetting(const RunSettings& settings);

// The message of a run that stopped at an error: the error and, when a
// record failed, the job list line where the run stopped and how many
// records it had done by then.
QString stopMessage(const QString& error, qint64 stoppedAtLine, qint64 recordsDone);
