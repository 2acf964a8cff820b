#include "app/main_window.h"

#include "app/accessibility_widget.h"
#include "app/busy_window.h"
#include "app/interactive_start.h"
#include "app/profile_loader.h"
#include "app/run_progress_dialog.h"
#include "editing/destination_folder.h"
#include "editing/file_list_widget.h"
#include "editing/save_job.h"
#include "files/app_folder.h"
#include "platform/designed_layout_widget.h"
#include "platform/gui_thread_prompter.h"
#include "platform/prompter.h"
#include "runner/execute_job.h"
#include "runner/run_monitor.h"
#include "runner/run_on_worker.h"
#include "shell/desktop_shortcut.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

template <typename Widget>
Widget* place(DesignedLayout& layout, Widget* widget, const QString& objectName,
              const QRect& twips) {
    widget->setObjectName(objectName);
    layout.add(widget, twips);
    return widget;
}

// A control with a fixed background also gets fixed text and selection
// colours, so that it reads the same under a light or a dark theme.
void setFixedColours(QWidget* widget, const QColor& background) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0, 84, 166));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(96, 96, 96));
    widget->setPalette(palette);
}

const QString kModeCaptions[] = {QStringLiteral("コピー"), QStringLiteral("削除"),
                                 QStringLiteral("移動")};

} // namespace

MainWindow::MainWindow(Prompter& prompter, FileDialogs& dialogs, Registry& registry,
                       ProgramStarter& starter)
    : m_prompter(prompter), m_pickers(dialogs), m_aboutDialog(prompter, registry, starter) {
    setObjectName(QStringLiteral("MAIN"));
    setWindowTitle(QStringLiteral("FENNICK設定"));
    setWindowIcon(QIcon(QStringLiteral(":/app/app_icon.png")));
    installAccessibleRoles();
    createControls();
    orderTabs();
    m_fileList->setFocus();

    connect(m_profileButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            loadSelectedProfile();
    });
    connect(m_addButton, &QPushButton::clicked, this, &MainWindow::addSource);
    connect(m_sourceBrowseButton, &QPushButton::clicked, this, &MainWindow::browseSource);
    connect(m_destinationBrowseButton, &QPushButton::clicked, this, &MainWindow::browseDestination);
    connect(m_saveButton, &QPushButton::clicked, this, &MainWindow::save);
    connect(m_executeButton, &QPushButton::clicked, this, &MainWindow::execute);
    // The shortcut maker tells the user itself whether it worked.
    connect(m_shortcutButton, &QPushButton::clicked, this,
            [this] { createDesktopShortcut(selectedMode(), selectedProfile(), m_prompter); });
    connect(m_aboutButton, &QPushButton::clicked, this, [this] { m_aboutDialog.show(this); });
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls() {
    // The desktop's font, and the design's positions scaled to it.
    DesignedLayout layout(*this);
    const QString labelCaptions[] = {QStringLiteral("元ファイル"),
                                     QStringLiteral("保存先フォルダー（削除の場合は無視）"),
                                     QStringLiteral("ファイルリスト")};
    const QRect labelPlaces[] = {
        {120, 180, 1005, 225}, {120, 3510, 3165, 225}, {120, 810, 1155, 225}};
    for (int i = 0; i < 3; ++i)
        place(layout, new QLabel(labelCaptions[i], this), QStringLiteral("Label1_%1").arg(i),
              labelPlaces[i]);
    place(layout,
          new QLabel(QStringLiteral("ドラグ＆ドロップでファイルリストを作成出来ます。"), this),
          QStringLiteral("Label2"), {1200, 180, 3825, 225});
    place(layout,
          new QLabel(
              QStringLiteral(
                  "ショートカットはSHIFTを押しながらダブルクリックするとこの設定画面が開きます。"),
              this),
          QStringLiteral("Label3"), {60, 4080, 6195, 225});
    m_aboutButton = place(layout, new QPushButton(QStringLiteral("About"), this),
                          QStringLiteral("Command4"), {5160, 30, 1125, 345});

    m_sourceBox =
        place(layout, new QLineEdit(this), QStringLiteral("Text1_0"), {120, 420, 5025, 285});
    m_destinationBox =
        place(layout, new QLineEdit(this), QStringLiteral("Text1_1"), {120, 3750, 5535, 285});
    setFixedColours(m_destinationBox, QColor(192, 255, 192));
    m_sourceBox->setAccessibleName(labelCaptions[0]);
    m_destinationBox->setAccessibleName(labelCaptions[1]);

    // Screen readers name the buttons by what they do, not by their symbols.
    m_addButton = place(layout, new QPushButton(QStringLiteral("▼"), this),
                        QStringLiteral("Command1_0"), {5760, 420, 525, 345});
    m_addButton->setAccessibleName(QStringLiteral("一覧に追加"));
    m_sourceBrowseButton = place(layout, new QPushButton(QStringLiteral("．．．"), this),
                                 QStringLiteral("Command1_1"), {5190, 420, 525, 345});
    m_sourceBrowseButton->setAccessibleName(QStringLiteral("元ファイルを選ぶ"));
    m_destinationBrowseButton = place(layout, new QPushButton(QStringLiteral("．．．"), this),
                                      QStringLiteral("Command1_2"), {5730, 3720, 525, 345});
    m_destinationBrowseButton->setAccessibleName(QStringLiteral("保存先フォルダーを選ぶ"));
    m_saveButton = place(layout, new QPushButton(QStringLiteral("BATファイル作成"), this),
                         QStringLiteral("Command1_3"), {3720, 2850, 1845, 345});
    m_executeButton = place(layout, new QPushButton(QStringLiteral("実行"), this),
                            QStringLiteral("Command2"), {5610, 2850, 675, 345});
    m_shortcutButton =
        place(layout, new QPushButton(QStringLiteral("デスクトップにショートカット作成"), this),
              QStringLiteral("Command3"), {120, 2850, 2895, 315});
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    // Each group of option buttons sits in a frame of its own, so that the
    // two groups are independent and screen readers announce them as groups.
    auto* profileFrame = place(layout, new ButtonGroupFrame(QStringLiteral("プロファイル"), this),
                               QStringLiteral("Frame1"), {1290, 780, 4935, 255});
    m_profileButtons = new QButtonGroup(this);
    for (int i = 0; i < 10; ++i)
        m_profileButtons->addButton(
            place(layout, new QRadioButton(QString::number(i), profileFrame),
                  QStringLiteral("Option2_%1").arg(i), {30 + 480 * i, 0, 465, 255}),
            i);
    auto* modeFrame = place(layout, new ButtonGroupFrame(QStringLiteral("実行モード"), this),
                            QStringLiteral("ModeFrame"), {210, 3180, 2865, 255});
    m_modeButtons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i)
        m_modeButtons->addButton(place(layout, new QRadioButton(kModeCaptions[i], modeFrame),
                                       QStringLiteral("Option1_%1").arg(i), {960 * i, 0, 945, 255}),
                                 i);
    m_profileButtons->button(0)->setChecked(true);
    m_modeButtons->button(0)->setChecked(true);

    m_fileList = place(layout, new FileListWidget(this), QStringLiteral("list_File"),
                       {120, 1080, 6135, 1740});
    m_fileList->setAccessibleName(labelCaptions[2]);
    setFixedColours(m_fileList, QColor(255, 255, 192));
    resize(layout.apply({6390, 4410}));
}

void MainWindow::orderTabs() {
    QList<QWidget*> chain = {m_fileList,
                             m_sourceBox,
                             m_addButton,
                             m_sourceBrowseButton,
                             m_destinationBrowseButton,
                             m_destinationBox,
                             m_saveButton,
                             m_executeButton,
                             m_shortcutButton};
    for (QAbstractButton* mode : m_modeButtons->buttons())
        chain.append(mode);
    for (int i = 9; i >= 0; --i)
        chain.append(m_profileButtons->button(i));
    chain.append(m_aboutButton);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_centred || !screen())
        return;
    m_centred = true;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
}

bool MainWindow::startInteractive(const QString& argument) {
    const InteractivePresets presets = interactivePresets(argument);
    if (!presets.status.ok()) {
        m_prompter.showMessage(presets.status.error());
        return false;
    }
    if (presets.mode)
        m_modeButtons->button(static_cast<int>(*presets.mode))->setChecked(true);
    if (presets.profile != 0) {
        // Selecting another profile button loads that profile.
        m_profileButtons->button(presets.profile)->setChecked(true);
        return true;
    }
    // Profile 0 is selected from the start, so it is loaded here, and a job
    // list that cannot be read is reported; the window still opens with
    // what could be read.
    const LoadedProfile profile = loadProfile(GetAppFolder(), QStringLiteral("0"));
    showProfile(profile);
    if (!profile.status.ok())
        m_prompter.showMessage(profile.status.error());
    return true;
}

int MainWindow::selectedProfile() const {
    return qMax(0, m_profileButtons->checkedId());
}

RunMode MainWindow::selectedMode() const {
    return static_cast<RunMode>(qMax(0, m_modeButtons->checkedId()));
}

void MainWindow::showProfile(const LoadedProfile& profile) {
    m_fileList->clear();
    m_destinationBox->setText(profile.destination);
    m_fileList->appendSelected(profile.sources);
}

// A profile click shows the stored profile; what cannot be read is left out
// without a message.
// Clicks made while a large profile loads are dropped, not carried out after it.
void MainWindow::loadSelectedProfile() {
    BusyWindow busy(*this, BusyWindow::Controls::KeepEnabled);
    showProfile(loadProfile(GetAppFolder(), QString::number(selectedProfile())));
}

// The source file box's text becomes a new, selected last entry; there is
// no test, so an empty text or a path already listed is added too.
void MainWindow::addSource() {
    m_fileList->appendSelected(m_sourceBox->text());
    m_sourceBox->clear();
}

void MainWindow::browseSource() {
    const QString picked =
        m_pickers.SelectFile(QStringLiteral("コピー元ファイル(*.*)"), QStringLiteral("*.*"));
    if (!picked.isEmpty())
        m_sourceBox->setText(picked);
}

void MainWindow::browseDestination() {
    const DestinationPick pick =
        pickDestinationFolder(m_pickers, m_sourceBox->text(), selectedProfile());
    if (!pick.chosen)
        return;
    m_destinationBox->setText(pick.folder);
    if (!pick.stored.ok())
        m_prompter.showMessage(
            QStringLiteral("保存先フォルダーを設定ファイルに記録できませんでした。\n") +
            pick.stored.error());
}

void MainWindow::save() {
    saveJob(m_prompter, selectedProfile(), m_destinationBox->text(), m_fileList->selectedEntries());
}

// The run is carried out on a thread of its own, so that the window stays
// painted and its progress can be shown and cancelled; the window itself
// takes no input until the run has ended, and questions are still asked
// here.
void MainWindow::execute() {
    const QString destinationBoxText = m_destinationBox->text();
    const RunMode mode = selectedMode();
    const int profile = selectedProfile();
    BusyWindow busy(*this, BusyWindow::Controls::Disable);
    RunMonitor monitor;
    RunProgressDialog progress(monitor, this);
    GuiThreadPrompter prompter(m_prompter, *this);
    runOnWorkerThread(
        [&] { executeSelectedJob(prompter, monitor, destinationBoxText, mode, profile); });
}
