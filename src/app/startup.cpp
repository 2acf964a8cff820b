#include "app/startup.h"

#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "runner/run_settings.h"

StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter) {
    const RunSettings settings = readRunSettings();
    const QString appFolder = GetAppFolder();
    StartupOutcome outcome;
    outcome.decision = decideLaunch(argument, shiftHeld);
    if (outcome.decision.path == LaunchPath::SilentRun) {
        RunLog log(runLogFilePath(), {QDateTime::currentDateTime(), outcome.decision.mode,
                                      outcome.decision.profileText, argument});
        JobRunner runner(prompter);
        runner.setLog(&log);
        const bool finished =
            runner.run(outcome.decision.mode, outcome.decision.profileText, settings, appFolder);
        outcome.exitStatus = finished ? 0 : 1;
    }
    return outcome;
}
