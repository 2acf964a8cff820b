#pragma once

#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>

class QWidget;

// Places a window's controls where its design puts them. The design gives
// positions in twips (15 to a pixel) for a 9-point font; they are scaled by
// the ratio of the window's font to 9 points, and further, across or down,
// as far as the font's own metrics need so that no caption is cut off. A hint
// that still does not fit wraps onto further lines, and what lies below it
// moves down by the height it gains.
class DesignedLayout {
  public:
    enum class Text { OneLine, Wraps };

    explicit DesignedLayout(QWidget& window) : m_window(window) {}

    // `widget` is placed relative to its parent: the window, or a container
    // added before it.
    void add(QWidget* widget, const QRect& twips, Text text = Text::OneLine);

    // Places every control added and returns the size that the design's
    // client area of `clientTwips` now takes.
    QSize apply(const QSize& clientTwips);

    // Where a point of the design (in window twips) now lies: for what is
    // drawn rather than placed, such as separator lines.
    QPoint toPixels(const QPoint& twips) const;

  private:
    struct Control {
        QWidget* widget;
        QRect twips;   // relative to the parent
        bool inWindow; // placed directly on the window, so it moves with the rows above
        Text text;
    };

    int toPixelsX(int twips) const;
    int toPixelsY(int twips, bool inWindow) const;
    void placeAll();
    double shortfall(Qt::Orientation direction) const;
    void makeRoomForWrappedText();

    QWidget& m_window;
    QList<Control> m_controls;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    // (window twips, pixels): rows from that line down moved down by a hint that wrapped.
    QList<QPair<int, int>> m_extraBelow;
};
