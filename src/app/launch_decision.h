#pragma once

#include "common/run_mode.h"

#include <QString>

// What the program does with its launch argument and the SHIFT key.
enum class LaunchPath {
    SilentRun,        // run the job named by the argument, show no window, end
    InteractiveStart, // show the window, preset from the argument when there is one
    EmptyWindow,      // an argument naming no run mode: the window with nothing loaded
};

struct LaunchDecision {
    LaunchPath path = LaunchPath::InteractiveStart;
    RunMode mode = RunMode::Copy;
    QString profileText = QStringLiteral("0");
};

// The last character of a text: a whole Unicode character, never half of a
// surrogate pair. Empty for the empty text.
QString lastCharacter(const QString& text);

// An empty argument, or SHIFT held, opens the window. Otherwise the first two
// characters ("/c", "/C", "/d", "/D", "/m", "/M") name the run mode and the
// last character is the profile text ("/c12" runs profile 2); anything else
// shows the window with nothing loaded.
LaunchDecision decideLaunch(const QString& argument, bool shiftHeld);
