#include "app/accessibility_widget.h"

#include "app/main_window.h"

#include <QAccessibleWidget>

namespace {

// Qt asks with the name of each class of an object, most derived first.
QAccessibleInterface* roleFor(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(MainWindow::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String(ButtonGroupFrame::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    return nullptr;
}

} // namespace

ButtonGroupFrame::ButtonGroupFrame(const QString& accessibleName, QWidget* parent)
    : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setAccessibleName(accessibleName);
}

void installAccessibleRoles() {
    QAccessible::installFactory(roleFor);
}
