#pragma once

#include <QProcessEnvironment>
#include <QString>

// Replaces each %NAME% reference by the value of the environment variable
// NAME. A reference to a variable that is not set is kept as it stands, and
// the text goes on after its closing percent sign; "%%" and an unclosed "%"
// stay as they are. Names are matched with their letter case.
QString expandEnvironmentStrings(const QString& text, const QProcessEnvironment& environment =
                                                          QProcessEnvironment::systemEnvironment());
