#include "app/display_start.h"
#include "app/startup.h"
#include "files/app_folder.h"
#include "platform/desktop_session.h"
#include "platform/terminal_prompter.h"

#include <QLibrary>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

// The program's arguments after its path, joined with single blanks (the
// shell has already split them).
QString launchArgument(int argc, char** argv) {
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts.append(QString::fromLocal8Bit(argv[i]));
    return parts.join(QLatin1Char(' '));
}

struct DisplayOutcome {
    int status = kNoDisplay;
    QString windowTrouble; // why the module could not be loaded
};

// With a display, the module beside the executable takes over; kNoDisplay
// when there is none after all or the module cannot be loaded.
DisplayOutcome startWithDisplay(int& argc, char** argv, const QString& argument) {
    QLibrary module(GetAppFolder() + QLatin1String(kDisplayModuleName));
    const auto start = reinterpret_cast<DisplayStart>(module.resolve(kDisplayStartSymbol));
    if (!start)
        return {
            kNoDisplay,
            QStringLiteral("画面を表示する部品を読み込めません（%1）。").arg(module.errorString())};
    return {start(argc, argv, argument), QString()};
}

// Without a display only the silent run is possible; messages go to the
// terminal.
int startWithoutDisplay(const QString& argument, const QString& windowTrouble) {
    TerminalPrompter prompter(stderr, stdin);
    const StartupOutcome outcome = startUp(argument, launcherAsksForWindow(), prompter);
    if (outcome.decision.path == LaunchPath::SilentRun)
        return outcome.exitStatus;
    prompter.showMessage(
        windowTrouble.isEmpty()
            ? QStringLiteral(
                  "設定画面を表示するにはディスプレイが必要です"
                  "（DISPLAY も WAYLAND_DISPLAY も設定されていません）。"
                  "ジョブを実行するには /c3 のように実行モードとプロファイルを指定してください。")
            : windowTrouble);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a write fail with an error instead of killing
    // the run between two files.
    std::signal(SIGXFSZ, SIG_IGN);
    const QString argument = launchArgument(argc, argv);
    DisplayOutcome display;
    if (displayNamed())
        display = startWithDisplay(argc, argv, argument);
    if (display.status != kNoDisplay)
        return display.status;
    return startWithoutDisplay(argument, display.windowTrouble);
}
