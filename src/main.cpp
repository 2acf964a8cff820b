#include "app/startup.h"
#include "platform/desktop_session.h"
#include "platform/prompter_dialog.h"
#include "platform/terminal_prompter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <csignal>

namespace {

// The program's arguments after its path, joined with single blanks (the
// shell has already split them). Taken before Qt removes its own options.
QString launchArgument(int argc, char** argv) {
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts.append(QString::fromLocal8Bit(argv[i]));
    return parts.join(QLatin1Char(' '));
}

int start(const QString& argument, Prompter& prompter, bool display) {
    const StartupOutcome outcome = startUp(argument, shiftKeyHeld(), prompter);
    if (outcome.decision.path == LaunchPath::SilentRun)
        return outcome.exitStatus;
    prompter.showMessage(
        display
            ? QStringLiteral("設定画面はこの版ではまだ表示できません。")
            : QStringLiteral(
                  "設定画面を表示するにはディスプレイが必要です"
                  "（DISPLAY も WAYLAND_DISPLAY も設定されていません）。"
                  "ジョブを実行するには /c3 のように実行モードとプロファイルを指定してください。"));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a write fail with an error instead of killing
    // the run between two files.
    std::signal(SIGXFSZ, SIG_IGN);
    const QString argument = launchArgument(argc, argv);
    if (!displayAvailable()) {
        QCoreApplication app(argc, argv);
        TerminalPrompter prompter;
        return start(argument, prompter, false);
    }
    QApplication app(argc, argv);
    // The whole interface is Japanese, Qt's own button texts included.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
    DialogPrompter prompter;
    return start(argument, prompter, true);
}
