#pragma once

#include "common/result.h"

struct ShortcutFiles;

// Writes the shell link, then the launcher, each replacing an earlier file of
// its name whole (a failed write leaves no part of a file). The launcher is
// made executable and, where the desktop keeps such marks, marked trusted.
Result writeShortcutFiles(const ShortcutFiles& files);
