#include "app/startup.h"

#include "files/app_folder.h"
#include "runner/job_runner.h"
#include "runner/run_settings.h"

StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter) {
    const RunSettings settings = readRunSettings();
    const QString appFolder = GetAppFolder();
    StartupOutcome outcome;
    outcome.decision = decideLaunch(argument, shiftHeld);
    if (outcome.decision.path == LaunchPath::SilentRun) {
        JobRunner runner(prompter);
        const bool finished =
            runner.run(outcome.decision.mode, outcome.decision.profileText, settings, appFolder);
        outcome.exitStatus = finished ? 0 : 1;
    }
    return outcome;
}
