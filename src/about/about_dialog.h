#pragma once

#include <QDialog>
#include <QPointer>

class ProgramStarter;
class Prompter;
class QPaintEvent;
class Registry;

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
    QRect m_greyLine;
    QRect m_whiteLine;
};

// The About button's one dialog, kept by the main window. The first show()
// creates the dialog beside the given window; while it is open, a further
// show() brings the same dialog forward. The dialog has no parent, so closing
// the main window leaves it open; the dialog still open when this object ends
// goes with it. prompter, registry and starter must outlive this object.
class SingleAboutDialog {
  public:
    SingleAboutDialog(Prompter& prompter, Registry& registry, ProgramStarter& starter);
    ~SingleAboutDialog();
    SingleAboutDialog(const SingleAboutDialog&) = delete;
    SingleAboutDialog& operator=(const SingleAboutDialog&) = delete;

    AboutDialog* show(QWidget* beside);

  private:
    Prompter& m_prompter;
    Registry& m_registry;
    ProgramStarter& m_starter;
    QPointer<AboutDialog> m_open;
};
