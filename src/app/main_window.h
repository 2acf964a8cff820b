#pragma once

#include "common/run_mode.h"

#include "platform/pickers.h"

#include <QWidget>

#include <array>
#include <memory>

class FileDialogs;
class FileListWidget;
class Prompter;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
struct LoadedProfile;

// The program's working window ("MAIN"): one job profile at a time, its
// sources in the file list, its destination folder, the profile and mode
// selectors, and the buttons that edit, save and run the job.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Messages go through the prompter; the pickers open Qt's file dialogs
    // unless other dialogs are given.
    explicit MainWindow(Prompter& prompter, FileDialogs* dialogs = nullptr,
                        QWidget* parent = nullptr);
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
    std::unique_ptr<FileDialogs> m_ownDialogs;
    Pickers m_pickers;
    FileListWidget* m_fileList = nullptr;
    std::array<QLineEdit*, 2> m_text{};       // source file box, destination folder box
    std::array<QPushButton*, 4> m_command1{}; // add, source browse, destination browse, save
    std::array<QLabel*, 3> m_label1{};
    QPushButton* m_execute = nullptr;
    QPushButton* m_shortcut = nullptr;
    QPushButton* m_about = nullptr;
    QButtonGroup* m_profiles = nullptr;
    QButtonGroup* m_modes = nullptr;
    bool m_centred = false;
};
