#pragma once

#include <QString>

#include <optional>

// What "--help" and "--version" print on standard output instead of starting
// the program: the usage (launch arguments, where the files are, exit status)
// naming the program and its application folder, or "Fennick 1.1.0". Every
// other argument is a launch argument and gives nothing here.
std::optional<QString> commandLineHelp(const QString& argument, const QString& programName,
                                       const QString& appFolder);
