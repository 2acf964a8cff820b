#pragma once

#include "common/result.h"
#include "common/run_mode.h"

#include <QString>

#include <optional>

// How the window opens when it is shown at start-up: the run mode and the
// profile preset from the launch argument (when SHIFT turned a launcher's
// silent run into an interactive start), or copy mode and profile 0.
struct InteractivePresets {
    std::optional<RunMode> mode; // none: the mode buttons stay as created
    int profile = 0;
    // A profile text that is no digit cannot open the window.
    Result status = Result::success();
};

// The second character of the argument chooses the mode ("c", "C", "d", "D",
// "m", "M"; anything else leaves it), the last character the profile.
InteractivePresets interactivePresets(const QString& argument);
