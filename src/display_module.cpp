// The module that the executable loads when a display is named: it shows
// messages as message boxes and opens the window when start-up asks for it.
// The desktop seams are made here and handed on; they outlive every window.

#include "app/display_start.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/terminal_status.h"
#include "platform/desktop_session.h"
#include "platform/picker_dialog.h"
#include "platform/program_starter.h"
#include "platform/prompter_dialog.h"
#include "platform/registry.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

extern "C" Q_DECL_EXPORT int fennickStartWithDisplay(int& argc, char** argv,
                                                     const QString& argument) {
    if (!displayAvailable())
        return kNoDisplay;
    QApplication app(argc, argv);
    // The whole interface is Japanese, Qt's own button texts included.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
    DialogPrompter prompter;
    TerminalStatus terminal(stderr);
    const StartupOutcome outcome = startUp(argument, shiftKeyHeld(), prompter, terminal);
    if (outcome.decision.path == LaunchPath::SilentRun)
        return outcome.exitStatus;
    PickerDialog dialogs;
    SystemRegistry registry;
    DetachedProgramStarter starter;
    MainWindow window(prompter, dialogs, registry, starter);
    if (outcome.decision.path == LaunchPath::InteractiveStart && !window.startInteractive(argument))
        return 1;
    window.show();
    return app.exec();
}
