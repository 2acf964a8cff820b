#include "runner/execute_job.h"

#include "files/app_folder.h"
#include "platform/prompter.h"
#include "runner/job_runner.h"
#include "runner/run_settings.h"

bool executeSelectedJob(Prompter& prompter, RunProgress* progress,
                        const QString& destinationBoxText, RunMode mode, int profile) {
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
    JobRunner runner(prompter);
    runner.setProgress(progress);
    return runner.run(mode, QString::number(profile), settings, GetAppFolder());
}
