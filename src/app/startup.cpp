#include "app/startup.h"

#include "app/status_line_prompter.h"
#include "app/terminal_status.h"
#include "files/app_folder.h"
#include "files/job_list.h"
#include "files/run_log_file.h"
#include "platform/prompter.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "runner/run_settings.h"

namespace {

// Looking at every source first is worth it only while it is quick.
constexpr qint64 kByteTotalRecordLimit = 10000;
constexpr qint64 kByteTotalMilliseconds = 300;

} // namespace

StartupOutcome startUp(const QString& argument, bool shiftHeld, Prompter& prompter,
                       TerminalStatus& terminal) {
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
    const RunMode mode = outcome.decision.mode;
    const QString appFolder = GetAppFolder();
    RunLog log(runLogFilePath(),
               {QDateTime::currentDateTime(), mode, outcome.decision.profileText, argument});
    StatusLinePrompter statusPrompter(prompter, terminal);
    JobRunner runner(statusPrompter);
    runner.setLog(&log);
    if (terminal.isTerminal()) {
        const qint64 byteTotal =
            mode == RunMode::Delete
                ? -1
                : jobListByteTotal(jobListPath(appFolder, outcome.decision.profileText),
                                   kByteTotalRecordLimit, kByteTotalMilliseconds);
        RunTally& tally = terminal.runStarting(mode, byteTotal);
        runner.setProgress(&tally);
        runner.setCopyProgress(&tally);
    }
    const bool finished = runner.run(mode, outcome.decision.profileText, settings, appFolder);
    terminal.runEnded(finished);
    if (finished)
        outcome.exitStatus = 0;
    return outcome;
}
