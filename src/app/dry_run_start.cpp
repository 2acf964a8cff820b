#include "app/dry_run_start.h"

#include "app/launch_decision.h"
#include "files/app_folder.h"
#include "files/job_list.h"
#include "platform/prompter.h"
#include "runner/dry_run.h"
#include "runner/run_settings.h"

#include <QFileInfo>

namespace {

const QString kDryRunOption = QStringLiteral("--dry-run");

} // namespace

std::optional<QString> dryRunArgument(const QString& argument) {
    if (argument == kDryRunOption)
        return QString();
    if (argument.startsWith(kDryRunOption + QLatin1Char(' ')))
        return argument.mid(kDryRunOption.size() + 1);
    return std::nullopt;
}

int startDryRun(const QString& launchArgument, Prompter& prompter,
                const std::function<void(const QString&)>& printLine) {
    const LaunchDecision decision = decideLaunch(launchArgument, false);
    if (decision.path != LaunchPath::SilentRun) {
        prompter.showMessage(QStringLiteral("--dry-run の後には、/c3 のように実行モードと"
                                            "プロファイルを指定する起動引数を付けてください。"));
        return 1;
    }
    // A missing application folder holds no settings; the run would make it,
    // the dry run leaves it missing.
    const QString appFolder = appFolderLocation();
    RunSettings settings;
    if (QFileInfo(appFolder).isDir()) {
        const Result read = readRunSettings(settings);
        if (!read.ok()) {
            prompter.showMessage(read.error());
            return 1;
        }
    }
    const Result planned =
        dryRun(decision.mode, jobListPath(appFolder, decision.profileText), settings, printLine);
    if (!planned.ok()) {
        prompter.showMessage(planned.error());
        return 1;
    }
    return 0;
}
