#include "about/about_dialog.h"

#include "about/system_info.h"
#include "fennick_version.h"
#include "platform/designed_layout_widget.h"
#include "platform/prompter.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel* addLabel(DesignedLayout& layout, QWidget* dialog, const char* name, const QString& text,
                 const QRect& twips, DesignedLayout::Text wrap = DesignedLayout::Text::OneLine) {
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout.add(label, twips, wrap);
    return label;
}

QPushButton* addButton(DesignedLayout& layout, QWidget* dialog, const char* name,
                       const QString& text, const QRect& twips) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QLatin1String(name));
    layout.add(button, twips);
    return button;
}

QString versionLabel() {
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(FENNICK_VERSION_MAJOR)
        .arg(FENNICK_VERSION_MINOR)
        .arg(FENNICK_VERSION_REVISION);
}

} // namespace

AboutDialog::AboutDialog(Prompter& prompter, Registry& registry, ProgramStarter& starter)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_prompter(prompter), m_registry(registry), m_starter(starter) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kApplicationTitle + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    setAccessibleDescription(QStringLiteral(FENNICK_DESCRIPTION));
    addControls();
}

void AboutDialog::addControls() {
    // The desktop's font, and the design's positions scaled to it.
    DesignedLayout layout(*this);
    QPushButton* ok =
        addButton(layout, this, "cmdOK", QStringLiteral("OK"), {4245, 2625, 1380, 345});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    QLabel* icon = addLabel(layout, this, "picIcon", QString(), {240, 240, 540, 540});
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(QPixmap(QStringLiteral(":/about/about_icon.png")));

    QPushButton* sysInfo = addButton(layout, this, "cmdSysInfo", QStringLiteral("ｼｽﾃﾑ情報(&S)..."),
                                     {4260, 3075, 1380, 345});
    connect(sysInfo, &QPushButton::clicked, this,
            [this] { StartSysInfo(m_registry, m_starter, m_prompter); });

    // The placeholders of the description and the warning stay on screen; the
    // texts a user reads are in Label1 and Label2. Every label takes the
    // theme's text colour, so that it reads on a dark background too.
    addLabel(layout, this, "lblDescription", QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明"),
             {1050, 1125, 3885, 270});
    addLabel(layout, this, "lblDisclaimer", QStringLiteral("警告: ..."), {255, 2625, 3870, 255});
    addLabel(layout, this, "lblTitle", kApplicationTitle, {1050, 240, 3885, 480});
    addLabel(layout, this, "lblVersion", versionLabel(), {1050, 780, 3885, 225});
    addLabel(layout, this, "Label1",
             QStringLiteral("ファイルのコピー、削除、移動のバッチ処理を便利にするツール"),
             {1050, 1530, 3885, 585}, DesignedLayout::Text::Wraps);
    addLabel(layout, this, "Label2",
             QStringLiteral("削除ショートカットの取り扱いにはご注意願います。"
                            "大事なファイルが無くなっても当方は責任を一切負いません。"),
             {210, 2910, 3975, 615}, DesignedLayout::Text::Wraps);
    setFixedSize(layout.apply({5730, 3555}));
    m_greyLine = QRect(layout.toPixels({90, 2445}), layout.toPixels({5654, 2445}));
    m_whiteLine = QRect(layout.toPixels({105, 2460}), layout.toPixels({5654, 2460}));
    m_whiteLine.setHeight(2);

    // The picture never takes the focus, so Tab goes from OK to the tool button.
    setTabOrder(ok, icon);
    setTabOrder(icon, sysInfo);
    ok->setFocus();
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // An etched separator above the warning: a dark line over a light one
    // twice as thick, in the theme's shades (grey and white in a light one).
    QPainter painter(this);
    painter.fillRect(m_greyLine, palette().color(QPalette::Dark));
    painter.fillRect(m_whiteLine, palette().color(QPalette::Light));
}

SingleAboutDialog::SingleAboutDialog(Prompter& prompter, Registry& registry,
                                     ProgramStarter& starter)
    : m_prompter(prompter), m_registry(registry), m_starter(starter) {}

SingleAboutDialog::~SingleAboutDialog() {
    delete m_open;
}

AboutDialog* SingleAboutDialog::show(QWidget* beside) {
    if (!m_open) {
        m_open = new AboutDialog(m_prompter, m_registry, m_starter);
        if (beside)
            m_open->move(beside->frameGeometry().center() - m_open->rect().center());
    }
    m_open->setWindowState(m_open->windowState() & ~Qt::WindowMinimized);
    m_open->show();
    m_open->raise();
    m_open->activateWindow();
    return m_open;
}
