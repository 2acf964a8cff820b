#pragma once

#include "common/run_mode.h"

#include <QString>

class Prompter;
class RunMonitor;

// The execute button: reads section "MSG" afresh (a settings file that cannot
// be read stops it before any file is touched), refuses to run while the
// destination folder box is empty, and runs the selected profile in the
// selected mode. Every error is shown and the window goes on as it was.
// The monitor hears how the run advances and can cancel it. Returns whether
// a run finished.
bool executeSelectedJob(Prompter& prompter, RunMonitor& monitor, const QString& destinationBoxText,
                        RunMode mode, int profile);
