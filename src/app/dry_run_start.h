#pragma once

#include <QString>

#include <functional>
#include <optional>

class Prompter;

// The launch argument after "--dry-run" ("--dry-run /d3" gives "/d3", a bare
// "--dry-run" the empty text), or nothing for any other argument.
std::optional<QString> dryRunArgument(const QString& argument);

// Shows what the run named by the launch argument would do, without doing
// it: the job list and the settings are read as that run reads them (SHIFT
// plays no part), each action goes to `printLine`, and a problem the run
// would stop at is shown through the prompter as the run shows it. Nothing is
// written, not even the application folder when it is missing. Returns the
// exit status: 0, or 1 after a problem or for an argument that names no run.
int startDryRun(const QString& launchArgument, Prompter& prompter,
                const std::function<void(const QString&)>& printLine);
