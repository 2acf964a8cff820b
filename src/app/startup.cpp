#include "app/startup.h"

#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "platform/prompter.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "runner/run_settings.h"

StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter) {
    StartupOutcome outcome;
    outcome.decision = decideLaunch(argument, shiftHeld);
    if (outcome.decision.path != LaunchPath::SilentRun)
        return outcome;
    outcome.exitStatus = 1;
    RunSettings settings;
    const Result read = readRunSettings(settings);
    if (!read.ok()) {
        prompter.showMessage(read.error());
        return outcome;
    }
    RunLog log(runLogFilePath(), {QDateTime::currentDateTime(), outcome.decision.mode,
                                  outcome.decision.profileText, argument});
    JobRunner runner(prompter);
    runner.setLog(&log);
    if (runner.run(outcome.decision.mode, outcome.decision.profileText, settings, GetAppFolder()))
        outcome.exitStatus = 0;
    return outcome;
}
