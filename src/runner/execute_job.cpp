#include "runner/execute_job.h"

#include "files/app_folder.h"
#include "files/run_log_file.h"
#include "platform/prompter.h"
#include "runner/job_runner.h"
#include "runner/run_log.h"
#include "runner/run_monitor.h"
#include "runner/run_settings.h"

bool executeSelectedJob(Prompter& prompter, RunMonitor& monitor, const QString& destinationBoxText,
                        RunMode mode, int profile) {
    RunSettings settings;
    const Result read = readRunSettings(settings);
    if (!read.ok()) {
        prompter.showMessage(read.error());
        return false;
    }
    // Only the empty text stops the run; the folder itself comes from the job list.
    if (destinationBoxText.isEmpty()) {
        prompter.showMessage(QStringLiteral("BATファイルを作成してから実行してください。"));
        return false;
    }
    const QString profileText = QString::number(profile);
    RunLog log(runLogFilePath(), {QDateTime::currentDateTime(), mode, profileText, QString()});
    JobRunner runner(prompter);
    runner.setProgress(&monitor);
    runner.setCopyProgress(&monitor);
    runner.setLog(&log);
    return runner.run(mode, profileText, settings, GetAppFolder());
}
