#include "about/about_dialog.h"
#include "app/main_window.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/gui_application.h"
#include "support/widget_lookup.h"

#include <QAccessible>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <cmath>
#include <memory>

using namespace test_support;

namespace {

// The program's windows, built with the application's font and palette as
// they are when the test makes them.
class WindowAppearanceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }
    void SetUp() override {
        m_font = QApplication::font();
        m_palette = QApplication::palette();
    }
    void TearDown() override {
        QApplication::setFont(m_font);
        QApplication::setPalette(m_palette);
    }

    std::unique_ptr<MainWindow> mainWindow() {
        return std::make_unique<MainWindow>(m_prompter, m_dialogs, m_registry, m_starter);
    }
    std::unique_ptr<AboutDialog> aboutDialog() {
        return std::make_unique<AboutDialog>(m_prompter, m_registry, m_starter);
    }

    FakePrompter m_prompter;
    FakeFileDialogs m_dialogs;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;

  private:
    QFont m_font;
    QPalette m_palette;
};

// The room the style gives a button's caption.
QRect captionRoom(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto element = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                   : QStyle::SE_PushButtonContents;
    return button->style()->subElementRect(element, &option, button);
}

// Every caption of a window that its font's metrics say is cut off: a text
// whose glyphs reach past the room for it, a wrapped text taller than its
// box, a control that reaches past the window's edge.
QStringList clippedCaptions(const QWidget& window) {
    QStringList clipped;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!window.rect().contains(QRect(widget->mapTo(&window, QPoint()), widget->size())))
            clipped << name + " reaches past the window";
        const QFontMetrics metrics(widget->font());
        if (auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty()) {
            const QRect ink = metrics.boundingRect(label->text());
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(label->width()) <= label->height()
                                  : ink.x() + ink.width() <= label->contentsRect().width() &&
                                        metrics.height() <= label->contentsRect().height();
            if (!fits)
                clipped << name + ": " + label->text();
        } else if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            const QRect room = captionRoom(button);
            const QRect ink = metrics.boundingRect(QString(button->text()).remove('&'));
            if (ink.width() > room.width() || metrics.height() > room.height())
                clipped << name + ": " + button->text();
        }
    }
    return clipped;
}

TEST_F(WindowAppearanceTest, NoCaptionIsCutOffAtTheDesktopsFontSize) {
    int widthAtNinePoints = 0;
    for (const int points : {9, 11, 14}) {
        SCOPED_TRACE(points);
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
        const auto window = mainWindow();
        const auto about = aboutDialog();
        EXPECT_EQ(clippedCaptions(*window), QStringList());
        EXPECT_EQ(clippedCaptions(*about), QStringList());
        // The desktop's font is the one used, and the layout grows with it.
        EXPECT_NEAR(QFontInfo(findWidget<QLabel>(*window, "Label3").font()).pointSizeF(), points,
                    0.5);
        if (points == 9)
            widthAtNinePoints = window->width();
        EXPECT_NEAR(window->width(), widthAtNinePoints * points / 9.0, widthAtNinePoints * 0.05);
    }
}

// WCAG's contrast ratio of two colours: 4.5 or more reads well.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

TEST_F(WindowAppearanceTest, FixedBackgroundsKeepReadableTextUnderADarkTheme) {
    // Built from a dark button colour, the palette has light text on dark.
    const QPalette dark(QColor(53, 53, 53));
    ASSERT_GT(contrast(dark.color(QPalette::Text), Qt::black), 4.5);
    QApplication::setPalette(dark);
    const auto window = mainWindow();
    const struct {
        const char* name;
        QColor background;
    } fixed[] = {{"list_File", QColor(255, 255, 192)}, {"Text1_1", QColor(192, 255, 192)}};
    for (const auto& [name, background] : fixed) {
        SCOPED_TRACE(name);
        const QPalette colours = findWidget<QWidget>(*window, name).palette();
        EXPECT_EQ(colours.color(QPalette::Base), background);
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            EXPECT_GE(contrast(colours.color(group, QPalette::Text), background), 4.5) << group;
            EXPECT_GE(contrast(colours.color(group, QPalette::HighlightedText),
                               colours.color(group, QPalette::Highlight)),
                      4.5)
                << group;
        }
    }
    // Everything else follows the theme, the About dialog's labels included.
    EXPECT_EQ(findWidget<QLineEdit>(*window, "Text1_0").palette().color(QPalette::Base),
              dark.color(QPalette::Base));
    EXPECT_EQ(findWidget<QLabel>(*window, "Label3").palette().color(QPalette::WindowText),
              dark.color(QPalette::WindowText));
    const auto about = aboutDialog();
    for (const QLabel* label : about->findChildren<QLabel*>())
        EXPECT_EQ(label->palette().color(QPalette::WindowText), dark.color(QPalette::WindowText))
            << label->objectName().toStdString();
}

QAccessibleInterface* accessible(const QWidget& window, const char* name) {
    return QAccessible::queryAccessibleInterface(&findWidget<QWidget>(window, name));
}

TEST_F(WindowAppearanceTest, ScreenReadersHearWhatEachControlIsFor) {
    const auto window = mainWindow();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.get())->role(), QAccessible::Window);

    // The symbol buttons are named by what they do; their captions stay.
    const struct {
        const char* control;
        const char* caption;
        const char* spokenName;
    } named[] = {{"Command1_0", "▼", "一覧に追加"},
                 {"Command1_1", "．．．", "元ファイルを選ぶ"},
                 {"Command1_2", "．．．", "保存先フォルダーを選ぶ"},
                 {"Option2_7", "7", "7"},
                 {"Option1_1", "削除", "削除"}};
    for (const auto& [control, caption, spokenName] : named) {
        EXPECT_EQ(findWidget<QAbstractButton>(*window, control).text(), caption);
        EXPECT_EQ(accessible(*window, control)->text(QAccessible::Name), spokenName);
    }

    // The option buttons come in two named groups.
    const struct {
        const char* frame;
        const char* groupName;
        int buttons;
    } groups[] = {{"Frame1", "プロファイル", 10}, {"ModeFrame", "実行モード", 3}};
    for (const auto& [frame, groupName, buttons] : groups) {
        QAccessibleInterface* group = accessible(*window, frame);
        EXPECT_EQ(group->role(), QAccessible::Grouping);
        EXPECT_EQ(group->text(QAccessible::Name), groupName);
        ASSERT_EQ(group->childCount(), buttons);
        for (int i = 0; i < buttons; ++i)
            EXPECT_EQ(group->child(i)->role(), QAccessible::RadioButton);
    }
}

} // namespace
