#include "shell/shortcut_files.h"

#include "common/error_text.h"
#include "files/app_folder.h"
#include "shell/environment_expansion.h"
#include "shell/launcher.h"
#include "shell/shell_link.h"

namespace {

struct ModeTexts {
    QString stem;
    QString argumentSwitch;
    QString icon; // the image's name in the icon theme and, with ".png", its file name
};

ModeTexts textsFor(RunMode mode) {
    switch (mode) {
    case RunMode::Copy:
        break;
    case RunMode::Delete:
        return {QStringLiteral("バッチ削除"), QStringLiteral("/d"),
                QStringLiteral("fennick-delete")};
    case RunMode::Move:
        return {QStringLiteral("バッチ移動"), QStringLiteral("/m"), QStringLiteral("fennick-move")};
    }
    return {QStringLiteral("バッチコピー"), QStringLiteral("/c"), QStringLiteral("fennick-copy")};
}

// The file name without its extension ("Fennick.exe" gives "Fennick").
QString baseName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

Produced<QByteArray> composeLink(const ShortcutRequest& request, const QString& argument,
                                 const QProcessEnvironment& environment) {
    const QString iconLibrary = request.iconSetting == QLatin1String("0")
                                    ? QStringLiteral("Fennick.icl")
                                    : QStringLiteral("GLENDOR.icl");
    ShellLink link;
    link.target = request.installedExecutable.isEmpty()
                      ? expandEnvironmentStrings(
                            request.appFolder + baseName(request.executableName), environment)
                      : request.installedExecutable;
    link.arguments = argument;
    // The icon location is "<file>,<index>" expanded as a whole; no reference
    // can reach past the comma, so the file part is expanded alone.
    link.iconLocation = expandEnvironmentStrings(request.appFolder + iconLibrary, environment);
    link.iconIndex = static_cast<int>(request.mode);
    link.showCommand = 4;
    return composeShellLink(link);
}

Produced<QByteArray> composeLauncherFor(const ShortcutRequest& request, const QString& name,
                                        const QString& argument, const QString& icon) {
    // The launcher starts the program where it lies, so its path is not expanded.
    const bool installed = !request.installedExecutable.isEmpty();
    const QString program =
        installed ? request.installedExecutable : request.appFolder + request.executableName;
    // The program is started through env: GLib looks for a launcher's program
    // before it reads "%%" as "%", and so would not find one in a folder whose
    // name holds a percent sign. env takes a word with "=" for a variable.
    if (program.contains(QLatin1Char('=')))
        return {Result::failure(describeError(ErrorKind::BadFileName, program))};
    const QString env = QStringLiteral("env");
    Launcher launcher;
    launcher.name = name;
    launcher.command = {env, program, argument};
    launcher.icon =
        installed ? icon
                  : request.appFolder + QStringLiteral("icons/") + icon + QStringLiteral(".png");
    launcher.actionName = QStringLiteral("設定を開く");
    // FENNICK_SHIFT=1 stands in for SHIFT held, which cannot be read on Wayland.
    launcher.actionCommand = {env, QStringLiteral("FENNICK_SHIFT=1"), program, argument};
    return composeLauncher(launcher);
}

} // namespace

Produced<ShortcutFiles> composeShortcutFiles(const ShortcutRequest& request,
                                             const QProcessEnvironment& environment) {
    const ModeTexts texts = textsFor(request.mode);
    const QString profile = QString::number(request.profile);
    const QString name = texts.stem + profile;
    const QString argument = texts.argumentSwitch + profile;
    const QString place = withTrailingSeparator(request.desktopFolder) + name;
    const Produced<QByteArray> link = composeLink(request, argument, environment);
    if (!link.status.ok())
        return {link.status};
    const Produced<QByteArray> launcher = composeLauncherFor(request, name, argument, texts.icon);
    if (!launcher.status.ok())
        return {launcher.status};
    return {Result::success(),
            {place + QStringLiteral(".lnk"), link.value, place + QStringLiteral(".desktop"),
             launcher.value}};
}
