#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// While an object of this class lives, a window takes no input: clicks, keys
// and drops meant for it are dropped, and so is closing it. Input that the
// desktop queued while the program could not respond is dropped too, when the
// object ends, so that nothing clicked during a long load or run acts after
// it. The controls can also be shown disabled meanwhile.
class BusyWindow : public QObject {
  public:
    enum class Controls { KeepEnabled, Disable };

    BusyWindow(QWidget& window, Controls controls);
    ~BusyWindow() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& m_window;
    QList<QPointer<QWidget>> m_disabled;
    QPointer<QWidget> m_focus;
};
