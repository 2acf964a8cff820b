#pragma once

#include <QFrame>

// A frame without a border that holds one group of option buttons; screen
// readers announce it as a group with the given name.
class ButtonGroupFrame : public QFrame {
    Q_OBJECT

  public:
    ButtonGroupFrame(const QString& accessibleName, QWidget* parent);
};

// Makes screen readers see the settings window as a window (not a filler)
// and each ButtonGroupFrame as a group. Installing it again does nothing.
void installAccessibleRoles();
