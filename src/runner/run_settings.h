#pragma once

#include "common/result.h"
#include "common/run_mode.h"

#include <QString>

#include <array>

// The values of settings section "MSG" that a run uses, read afresh at the
// start of every run so that a change by hand takes effect at the next one.
struct RunSettings {
    QString previewText;
    std::array<QString, 3> completionTexts; // indexed by RunMode
    QString trashText;                      // "Trash" of section "OPTION"
    QString verifyText;                     // "Verify" of section "OPTION"

    const QString& completionText(RunMode mode) const {
        return completionTexts[static_cast<std::size_t>(mode)];
    }
};

// Reads "Preview", "COPY", "DEL" and "MOVE" of section "MSG" and "Trash" and
// "Verify" of section "OPTION" from one reading of the settings file. A settings file
// that exists but cannot be read fails, naming it, so that no run goes on as
// if it held nothing.
Result readRunSettings(RunSettings& settings);

enum class PreviewMode { Off, On, NotANumber };

// Preview mode is on when the text is a number equal to 1 ("1", "1.0", "+1",
// blanks around it). A missing or empty value means off, so that a fresh
// installation without a settings file can run every job; any other text that
// is not a number is an error of the run.
PreviewMode previewMode(const QString& previewText);

enum class SwitchSetting { Off, On, Invalid };

// A setting that is on or off, as "Trash" (on: the files that delete mode
// deletes go to the desktop trash) and "Verify" (on: each copy is read back
// and compared with its source): "1" is on; "0" or nothing is off; any other
// text is an error of the run.
SwitchSetting switchSetting(const QString& text);
