#include "about/about_dialog.h"

#include "about/system_info.h"
#include "fennick_version.h"
#include "platform/prompter.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

// The layout is kept in twips, the unit it was designed in; 15 twips make one
// logical pixel.
int pixels(int twips) {
    return qRound(twips / 15.0);
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

QLabel* addLabel(QWidget* dialog, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

void setBlackText(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

QPushButton* addButton(QWidget* dialog, const char* name, const QString& text,
                       const QRect& geometry) {
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

// The warning needs three lines in the height designed for them, and the
// Japanese font's natural line spacing is wider than the design's.
QString withTightLines(const QString& text) {
    return QStringLiteral("<p style=\"line-height:73%; margin:0\">%1</p>")
        .arg(text.toHtmlEscaped());
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
    setFixedSize(pixels(5730), pixels(3555));
    setWindowTitle(kApplicationTitle + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    setAccessibleDescription(QStringLiteral(FENNICK_DESCRIPTION));
    // The layout is measured for a 12-pixel font (9 points at 96 dpi); a larger
    // desktop font would cut the texts off.
    QFont designFont = font();
    designFont.setPixelSize(12);
    setFont(designFont);
    addControls();
}

void AboutDialog::addControls() {
    QPushButton* ok =
        addButton(this, "cmdOK", QStringLiteral("OK"), twipsRect(4245, 2625, 1380, 345));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    QLabel* icon = addLabel(this, "picIcon", QString(), twipsRect(240, 240, 540, 540));
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(QPixmap(QStringLiteral(":/about/about_icon.png")));

    QPushButton* sysInfo = addButton(this, "cmdSysInfo", QStringLiteral("ｼｽﾃﾑ情報(&S)..."),
                                     twipsRect(4260, 3075, 1380, 345));
    connect(sysInfo, &QPushButton::clicked, this,
            [this] { StartSysInfo(m_registry, m_starter, m_prompter); });

    // The placeholders of the description and the warning stay on screen; the
    // texts a user reads are in Label1 and Label2.
    setBlackText(addLabel(this, "lblDescription", QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明"),
                          twipsRect(1050, 1125, 3885, 270)));
    setBlackText(addLabel(this, "lblDisclaimer", QStringLiteral("警告: ..."),
                          twipsRect(255, 2625, 3870, 255)));
    setBlackText(addLabel(this, "lblTitle", kApplicationTitle, twipsRect(1050, 240, 3885, 480)));
    addLabel(this, "lblVersion", versionLabel(), twipsRect(1050, 780, 3885, 225));
    addLabel(this, "Label1",
             QStringLiteral("ファイルのコピー、削除、移動のバッチ処理を便利にするツール"),
             twipsRect(1050, 1530, 3885, 585));
    QLabel* warning = addLabel(
        this, "Label2",
        withTightLines(QStringLiteral("削除ショートカットの取り扱いにはご注意願います。"
                                      "大事なファイルが無くなっても当方は責任を一切負いません。")),
        twipsRect(210, 2910, 3975, 615));
    warning->setTextFormat(Qt::RichText);

    // The picture never takes the focus, so Tab goes from OK to the tool button.
    setTabOrder(ok, icon);
    setTabOrder(icon, sysInfo);
    ok->setFocus();
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // An etched separator above the warning: a grey line over a white one twice as thick.
    QPainter painter(this);
    const int right = pixels(5654);
    painter.fillRect(QRect(QPoint(pixels(90), pixels(2445)), QPoint(right, pixels(2445))),
                     QColor(0x80, 0x80, 0x80));
    painter.fillRect(QRect(QPoint(pixels(105), pixels(2460)), QPoint(right, pixels(2460) + 1)),
                     Qt::white);
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
