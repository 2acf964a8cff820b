#include "app/busy_window.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isUserInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return event->isInputEvent();
    }
}

} // namespace

BusyWindow::BusyWindow(QWidget& window, Controls controls)
    : m_window(window), m_focus(window.focusWidget()) {
    qApp->installEventFilter(this);
    if (controls == Controls::KeepEnabled)
        return;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isEnabled())
            continue;
        child->setEnabled(false);
        m_disabled.append(child);
    }
}

BusyWindow::~BusyWindow() {
    // Whatever the desktop queued meanwhile arrives now and is dropped.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    for (const QPointer<QWidget>& child : m_disabled)
        if (child)
            child->setEnabled(true);
    if (m_focus)
        m_focus->setFocus();
}

bool BusyWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &m_window)
        return false;
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return isUserInput(event);
}
