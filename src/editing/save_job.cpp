#include "editing/save_job.h"

#include "files/app_folder.h"
#include "files/job_list.h"
#include "platform/prompter.h"

void saveJob(Prompter& prompter, int profile, const QString& destinationBoxText,
             const QStringList& selectedEntries) {
    if (destinationBoxText.isEmpty()) {
        prompter.showMessage(QStringLiteral("保存先のフォルダーを設定してください。"));
        return;
    }
    const Result written = writeJobList(jobListPath(GetAppFolder(), QString::number(profile)),
                                        destinationBoxText, selectedEntries);
    if (!written.ok()) {
        prompter.showMessage(QStringLiteral("BATファイルを作成できませんでした。\n") +
                             written.error());
        return;
    }
    prompter.showMessage(QStringLiteral("バッチコピーファイル作成完了"));
}
