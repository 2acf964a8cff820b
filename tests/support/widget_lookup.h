#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace test_support {

// The child of that name and type. A lookup that finds nothing fails the test
// and ends it (GoogleTest reports the exception), instead of handing on a
// null pointer that crashes the test program.
template <typename Widget> Widget& findWidget(const QObject& parent, const QString& name) {
    auto* widget = parent.findChild<Widget*>(name);
    if (!widget)
        throw std::runtime_error("no control named " + name.toStdString());
    return *widget;
}

} // namespace test_support
