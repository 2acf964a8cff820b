// Times how long the settings window takes to show a profile of many entries:
// from the click on the profile button until the window has painted the list.
//
// usage: profile_load_bench [entries ...]   (default: 4000 100000)
// Run with QT_QPA_PLATFORM=offscreen, or on an X server (e.g. under xvfb-run).

#include "app/main_window.h"
#include "files/app_folder.h"
#include "platform/picker_dialog.h"
#include "platform/program_starter.h"
#include "platform/prompter_dialog.h"
#include "platform/registry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 5;

bool writeProfile(const QString& folder, int profile, int entries) {
    QFile list(folder + QStringLiteral("/%1copylist.txt").arg(profile));
    if (!list.open(QIODevice::WriteOnly))
        return false;
    QByteArray records;
    for (int i = 0; i < entries; ++i)
        records += "/home/user/backup/,/home/user/documents/project/report-" +
                   QByteArray::number(i).rightJustified(6, '0') + ".odt\n";
    return list.write(records) == records.size();
}

// Milliseconds from the click until the window has painted the loaded list.
double timeClick(QWidget& window, QAbstractButton* button) {
    QElapsedTimer clock;
    clock.start();
    button->click();
    window.repaint();
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QByteArray(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {4000, 100000};

    QTemporaryDir folder;
    setAppFolderForTesting(folder.path());
    DialogPrompter prompter;
    PickerDialog dialogs;
    SystemRegistry registry;
    DetachedProgramStarter starter;
    MainWindow window(prompter, dialogs, registry, starter);
    window.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    auto* empty = window.findChild<QAbstractButton*>(QStringLiteral("Option2_0"));
    auto* full = window.findChild<QAbstractButton*>(QStringLiteral("Option2_1"));

    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("%10s %12s %12s\n", "entries", "median ms", "max ms");
    for (const int count : counts) {
        if (!writeProfile(folder.path(), 1, count)) {
            std::fprintf(stderr, "cannot write the job list\n");
            return 1;
        }
        QList<double> times;
        for (int round = 0; round < kRounds; ++round) {
            timeClick(window, empty);
            times.append(timeClick(window, full));
        }
        std::sort(times.begin(), times.end());
        std::printf("%10d %12.1f %12.1f\n", count, times[kRounds / 2], times.back());
    }
    return 0;
}
