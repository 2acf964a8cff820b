#pragma once

#include "app/launch_decision.h"

#include <QString>

class Prompter;

struct StartupOutcome {
    LaunchDecision decision;
    // The silent run's exit status: 0 when it finished, 1 after the failure
    // exit. Meaningless when the decision is to show the window.
    int exitStatus = 0;
};

// The program's start: reads section "MSG", works out the application folder,
// decides from the launch argument and SHIFT, and performs the silent run.
// Showing the window is left to the caller.
StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter);
