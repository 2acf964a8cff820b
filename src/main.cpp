#include "app/command_line_help.h"
#include "app/display_start.h"
#include "app/dry_run_start.h"
#include "app/startup.h"
#include "app/terminal_status.h"
#include "files/app_folder.h"
#include "platform/desktop_session.h"
#include "platform/terminal_prompter.h"

#include <QFileInfo>
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

// Writes to standard output; false when not all of it could be written.
bool printOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const bool written =
        std::fwrite(bytes.constData(), 1, bytes.size(), stdout) == std::size_t(bytes.size());
    return std::fflush(stdout) == 0 && written;
}

// "--help" and "--version" print their text and end, with or without a
// display; the exit status is 1 only when the text could not be written.
std::optional<int> printCommandLineHelp(const QString& argument) {
    const HelpLanguage language =
        helpLanguage(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
                     qEnvironmentVariable("LANG"));
    const std::optional<QString> help = commandLineHelp(
        argument, QFileInfo(executablePath()).fileName(), appFolderLocation(), language);
    if (!help)
        return std::nullopt;
    return printOut(*help) ? 0 : 1;
}

// "--dry-run /d3" shows what "/d3" would do and ends; never with a window,
// whether or not a display is there.
std::optional<int> startDryRunFromArgument(const QString& argument) {
    const std::optional<QString> launchArgument = dryRunArgument(argument);
    if (!launchArgument)
        return std::nullopt;
    TerminalPrompter prompter(stderr, stdin);
    const int status = startDryRun(*launchArgument, prompter, [](const QString& line) {
        const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
        std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
    });
    // A list that did not reach its reader in full is no answer.
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? status : 1;
}

struct DisplayOutcome {
    int status = kNoDisplay;
    QString windowTrouble; // why the module could not be loaded
};

// With a display, the display module takes over; kNoDisplay when there is
// none after all or the module cannot be loaded.
DisplayOutcome startWithDisplay(int& argc, char** argv, const QString& argument) {
    QLibrary module(displayModulePath());
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
    TerminalStatus terminal(stderr);
    const StartupOutcome outcome = startUp(argument, launcherAsksForWindow(), prompter, terminal);
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
    if (!prepareFolderEnvironment())
        return 1;
    // A file-size limit makes a write fail with an error instead of killing
    // the run between two files.
    std::signal(SIGXFSZ, SIG_IGN);
    // A message to a reader that went away fails quietly instead of ending
    // the program: it must not change how a run ends.
    std::signal(SIGPIPE, SIG_IGN);
    const QString argument = launchArgument(argc, argv);
    if (const std::optional<int> status = printCommandLineHelp(argument))
        return *status;
    if (const std::optional<int> status = startDryRunFromArgument(argument))
        return *status;
    DisplayOutcome display;
    if (displayNamed())
        display = startWithDisplay(argc, argv, argument);
    if (display.status != kNoDisplay)
        return display.status;
    return startWithoutDisplay(argument, display.windowTrouble);
}
