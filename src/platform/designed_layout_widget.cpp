#include "platform/designed_layout_widget.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr double kDesignPoints = 9.0;
// Growing by the exact shortfall can still miss by a rounded pixel.
constexpr double kRoundingAllowance = 1.01;

// The room a control's caption takes and the room it has, by the metrics of
// its font: from where the text starts to where its last glyph ends, so that
// only text that would really be cut off counts.
struct Room {
    QSize needed;
    QSize available;
};

QSize textExtent(const QFontMetrics& metrics, const QString& text, bool centred) {
    const QRect ink = metrics.boundingRect(QString(text).remove(QLatin1Char('&')));
    return QSize(centred ? ink.width() : ink.x() + ink.width(), metrics.height());
}

QRect buttonContents(const QAbstractButton* button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(element, &option, button);
}

std::optional<Room> captionRoom(const QWidget* widget) {
    const QFontMetrics metrics(widget->font());
    if (auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().isEmpty())
        return Room{textExtent(metrics, label->text(), false), label->contentsRect().size()};
    if (auto* button = qobject_cast<const QPushButton*>(widget))
        return Room{textExtent(metrics, button->text(), true),
                    buttonContents(button, QStyle::SE_PushButtonContents).size()};
    if (auto* button = qobject_cast<const QRadioButton*>(widget))
        return Room{textExtent(metrics, button->text(), false),
                    buttonContents(button, QStyle::SE_RadioButtonContents).size()};
    if (qobject_cast<const QLineEdit*>(widget))
        return Room{QSize(0, metrics.height()), widget->contentsRect().size()};
    return std::nullopt;
}

} // namespace

void DesignedLayout::add(QWidget* widget, const QRect& twips, Text text) {
    const bool inWindow = widget->parentWidget() == &m_window;
    if (auto* label = qobject_cast<QLabel*>(widget); label && text == Text::Wraps)
        label->setWordWrap(true);
    m_controls.append({widget, twips, inWindow, text});
}

QSize DesignedLayout::apply(const QSize& clientTwips) {
    m_scaleX = m_scaleY = QFontInfo(m_window.font()).pointSizeF() / kDesignPoints;
    m_extraBelow.clear();
    placeAll();
    // Fixed parts (frames, indicators) do not grow with the scale, so one
    // step usually does; a few more cover the rounding.
    for (int step = 0; step < 4; ++step) {
        const double across = shortfall(Qt::Horizontal);
        const double down = shortfall(Qt::Vertical);
        if (across <= 1.0 && down <= 1.0)
            break;
        m_scaleX *= std::max(1.0, across * kRoundingAllowance);
        m_scaleY *= std::max(1.0, down * kRoundingAllowance);
        placeAll();
    }
    makeRoomForWrappedText();
    return QSize(toPixelsX(clientTwips.width()), toPixelsY(clientTwips.height(), true));
}

QPoint DesignedLayout::toPixels(const QPoint& twips) const {
    return QPoint(toPixelsX(twips.x()), toPixelsY(twips.y(), true));
}

int DesignedLayout::toPixelsX(int twips) const {
    return int(std::lround(twips / kTwipsPerPixel * m_scaleX));
}

int DesignedLayout::toPixelsY(int twips, bool inWindow) const {
    int pixels = int(std::lround(twips / kTwipsPerPixel * m_scaleY));
    if (!inWindow)
        return pixels;
    for (const auto& [line, extra] : m_extraBelow)
        if (twips >= line)
            pixels += extra;
    return pixels;
}

void DesignedLayout::placeAll() {
    for (const Control& control : m_controls) {
        const QRect& t = control.twips;
        const int left = toPixelsX(t.left());
        const int top = toPixelsY(t.top(), control.inWindow);
        control.widget->setGeometry(left, top, toPixelsX(t.left() + t.width()) - left,
                                    toPixelsY(t.top() + t.height(), control.inWindow) - top);
    }
}

// How many times its room the most crowded caption needs, across or down.
double DesignedLayout::shortfall(Qt::Orientation direction) const {
    double worst = 0.0;
    for (const Control& control : m_controls) {
        const std::optional<Room> room = captionRoom(control.widget);
        if (!room)
            continue;
        if (direction == Qt::Horizontal && control.text == Text::OneLine)
            worst = std::max(worst, double(room->needed.width()) / room->available.width());
        if (direction == Qt::Vertical)
            worst = std::max(worst, double(room->needed.height()) / room->available.height());
    }
    return worst;
}

void DesignedLayout::makeRoomForWrappedText() {
    QList<Control> wrapping;
    std::copy_if(m_controls.begin(), m_controls.end(), std::back_inserter(wrapping),
                 [](const Control& c) { return c.text == Text::Wraps && c.inWindow; });
    std::sort(wrapping.begin(), wrapping.end(),
              [](const Control& a, const Control& b) { return a.twips.top() < b.twips.top(); });
    for (const Control& control : wrapping) {
        QWidget* widget = control.widget;
        const int extra = widget->heightForWidth(widget->width()) - widget->height();
        if (extra <= 0)
            continue;
        m_extraBelow.append({control.twips.top() + control.twips.height(), extra});
        placeAll();
    }
}
