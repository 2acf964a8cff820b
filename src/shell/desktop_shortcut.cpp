#include "shell/desktop_shortcut.h"

#include "common/error_text.h"
#include "files/app_folder.h"
#include "files/settings.h"
#include "platform/prompter.h"
#include "shell/desktop_folder.h"
#include "shell/shortcut_files.h"
#include "shell/shortcut_writer.h"

#include <QFileInfo>

namespace {

// The two sentences are joined by a carriage return alone.
const QString kConfirmation =
    QStringLiteral("デスクトップにショートカットを作成しました。\r"
                   "SHIFTキーを押しながらショートカットを起動すると処理内容を確認出来ます。");
const QString kFailure = QStringLiteral("デスクトップにショートカットを作成できませんでした。\n");

ShortcutRequest requestFor(RunMode mode, int profile) {
    ShortcutRequest request;
    request.mode = mode;
    request.profile = profile;
    request.appFolder = GetAppFolder();
    const QString executable = executablePath();
    request.executableName = QFileInfo(executable).fileName();
    if (isInstalledLayout(executable))
        request.installedExecutable = executable;
    // Read anew at every click, so that a hand edit takes effect at once.
    request.iconSetting = GetIniValue(QStringLiteral("ICON"), QStringLiteral("ICL"));
    request.desktopFolder = desktopFolder();
    return request;
}

Result makeShortcut(const ShortcutRequest& request) {
    if (!QFileInfo(request.desktopFolder).isDir())
        return Result::failure(describeError(ErrorKind::PathNotFound, request.desktopFolder));
    const Produced<ShortcutFiles> files =
        composeShortcutFiles(request, QProcessEnvironment::systemEnvironment());
    if (!files.status.ok())
        return files.status;
    return writeShortcutFiles(files.value);
}

} // namespace

Result createDesktopShortcut(RunMode mode, int profile, Prompter& prompter) {
    const Result made = makeShortcut(requestFor(mode, profile));
    prompter.showMessage(made.ok() ? kConfirmation : kFailure + made.error());
    return made;
}
