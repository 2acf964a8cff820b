#pragma once

#include "platform/program_starter.h"
#include "platform/registry.h"

#include <QDialog>

class Prompter;
class QPaintEvent;

// The About dialog: the program's title, version and description, a warning
// about delete shortcuts, and a button that starts the system-information tool.
// It is not modal and is deleted when it closes.
class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    AboutDialog(Prompter& prompter, Registry& registry, ProgramStarter& starter);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void addControls();

    Prompter& m_prompter;
    Registry& m_registry;
    ProgramStarter& m_starter;
};

// What the main window's About button calls on every click. The first call
// creates the dialog beside mainWindow; while it is open, a further call brings
// the same dialog forward. The dialog has no parent, so closing the main window
// leaves it open. prompter, registry and starter must live as long as the
// application, since the dialog may outlive the main window.
AboutDialog* showAboutDialog(QWidget* mainWindow, Prompter& prompter,
                             Registry& registry = systemRegistry(),
                             ProgramStarter& starter = systemProgramStarter());
