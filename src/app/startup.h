#pragma once

#include "app/launch_decision.h"

#include <QString>

class Prompter;
class TerminalStatus;

struct StartupOutcome {
    LaunchDecision decision;
    // The silent run's exit status: 0 when it finished, 1 after the failure
    // exit. Meaningless when the decision is to show the window.
    int exitStatus = 0;
};

// The program's start: decides from the launch argument and SHIFT, and
// performs the silent run with one reading of section "MSG" (a settings file
// that cannot be read ends it before any file is touched). Showing the window
// is left to the caller. At a terminal, the run shows its status line and
// summary there.
StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter,
                       TerminalStatus& terminal);
