// Shows the settings window as the program does, for the screenshots in docs/
// (scripts/screenshots.sh): with the profile stored beside the executable, its
// second entry deselected to show both kinds of entry, in the desktop's
// palette, or in a dark one when started with --dark.

#include "app/main_window.h"
#include "editing/file_list_widget.h"
#include "platform/picker_dialog.h"
#include "platform/program_starter.h"
#include "platform/prompter_dialog.h"
#include "platform/registry.h"

#include <QApplication>

namespace {

QPalette darkPalette() {
    QPalette dark(QColor(53, 53, 53), QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(240, 240, 240));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Light, QColor(90, 90, 90));
    dark.setColor(QPalette::Dark, QColor(25, 25, 25));
    dark.setColor(QPalette::Highlight, QColor(61, 142, 230));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--dark")))
        QApplication::setPalette(darkPalette());
    DialogPrompter prompter;
    PickerDialog dialogs;
    SystemRegistry registry;
    DetachedProgramStarter starter;
    MainWindow window(prompter, dialogs, registry, starter);
    if (!window.startInteractive(QString()))
        return 1;
    if (auto* list = window.findChild<FileListWidget*>(QStringLiteral("list_File"));
        list->count() > 1)
        list->item(1)->setSelected(false);
    window.show();
    return app.exec();
}
