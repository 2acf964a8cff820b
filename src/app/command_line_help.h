#pragma once

#include <QString>

#include <optional>

// The language of the command-line help; the rest of the program speaks
// Japanese whatever the locale.
enum class HelpLanguage { Japanese, English };

// Japanese when the locale that names the language of messages (the first
// set of LC_ALL, LC_MESSAGES and LANG, as the C library takes them) begins
// with "ja"; English otherwise.
HelpLanguage helpLanguage(const QString& lcAll, const QString& lcMessages, const QString& lang);

// What "--help" and "--version" print on standard output instead of starting
// the program: the usage (launch arguments, the dry run, where the files are,
// exit status) naming the program and its application folder, or
// "Fennick 1.1.0". Every other argument is a launch argument and gives
// nothing here.
std::optional<QString> commandLineHelp(const QString& argument, const QString& programName,
                                       const QString& appFolder, HelpLanguage language);
