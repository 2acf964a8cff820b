#pragma once

#include "about/about_dialog.h"
#include "common/run_mode.h"
#include "platform/pickers.h"

#include <QWidget>

class FileDialogs;
class FileListWidget;
class ProgramStarter;
class Prompter;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class Registry;
struct LoadedProfile;

// The program's working window ("MAIN"): one job profile at a time, its
// sources in the file list, its destination folder, the profile and mode
// selectors, and the buttons that edit, save and run the job.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Messages go through the prompter and the pickers through the dialogs;
    // the About dialog starts the system-information tool that the registry
    // names with the starter. All of them must outlive the window.
    MainWindow(Prompter& prompter, FileDialogs& dialogs, Registry& registry,
               ProgramStarter& starter);
    ~MainWindow() override;

    // The start that shows the window: presets the mode and profile from the
    // launch argument and loads the profile. Returns false when the program
    // has to end instead (the reason has been shown).
    bool startInteractive(const QString& argument);

    // The index of the selected profile button (0 when none is selected).
    int selectedProfile() const;
    // The index of the selected mode button (0, copy, when none is selected).
    RunMode selectedMode() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void createControls();
    void orderTabs();
    void showProfile(const LoadedProfile& profile);
    void loadSelectedProfile();
    void addSource();
    void browseSource();
    void browseDestination();
    void save();
    void execute();

    Prompter& m_prompter;
    Pickers m_pickers;
    SingleAboutDialog m_aboutDialog;
    FileListWidget* m_fileList = nullptr;
    QLineEdit* m_sourceBox = nullptr;
    QLineEdit* m_destinationBox = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_sourceBrowseButton = nullptr;
    QPushButton* m_destinationBrowseButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_executeButton = nullptr;
    QPushButton* m_shortcutButton = nullptr;
    QPushButton* m_aboutButton = nullptr;
    QButtonGroup* m_profileButtons = nullptr;
    QButtonGroup* m_modeButtons = nullptr;
    bool m_centred = false;
};
