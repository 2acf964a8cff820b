#pragma once

#include "common/result.h"
#include "common/run_mode.h"

class Prompter;

// The shortcut button: puts a shortcut on the user's desktop that starts a
// silent run of the profile in the run mode (a shell link and, beside it, a
// launcher for Linux desktops), then tells the user so, or what failed and
// where. A shortcut made earlier for the same pair is replaced. Nothing else
// is saved. The result is what the user was told.
Result createDesktopShortcut(RunMode mode, int profile, Prompter& prompter);
