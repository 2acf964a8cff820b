#pragma once

#include "common/result.h"
#include "common/run_mode.h"
#include "runner/run_settings.h"

#include <QString>

#include <functional>

// What a run of one job profile would do, found without doing anything: the
// job list is read as the run reads it, and each action the run would take
// (copy, replace, move, delete, trash) is handed to `printLine` as one line,
// names escaped. The checks that need no writing are made as the run makes
// them (records that cannot be read, missing sources and folders, read-only
// files, name clashes within the run, bad setting values); the first problem
// ends the dry run with the message the run would stop with, its job list
// line included. Nothing is written, and no question is asked: a delete that
// would ask is marked so and taken as answered yes.
//
// What happens between records (a source that an earlier record moved away)
// and write errors (a full disk) cannot be foreseen.
Result dryRun(RunMode mode, const QString& jobList, const RunSettings& settings,
              const std::function<void(const QString&)>& printLine);
