#pragma once

#include "common/path_text.h"

#include <QString>

// The module that holds the windows and message boxes, loaded by the
// executable when a display is named.
constexpr char kDisplayModuleName[] = "Fennick-display.so";

// The folder where the program keeps its files (settings, job lists), ending
// in "/". An installed program (see isInstalledLayout) keeps them per user in
// $XDG_CONFIG_HOME/fennick/ (by default ~/.config/fennick/) and creates that
// folder here when it is missing; a portable copy keeps them in the folder of
// its executable. Worked out afresh on every call.
QString GetAppFolder();

// Readies the environment that the program's folders are found from; called
// first thing at start-up, before Qt or GLib read it. A relative
// XDG_CONFIG_HOME or XDG_DATA_HOME, which the base directory rules say to
// ignore, and a relative HOME are removed, so that Qt and GLib both take their
// defaults instead of a folder below wherever the program was started. An
// installed program needs its home folder for its files: without an absolute
// HOME (and no absolute XDG_CONFIG_HOME) it must stop, and false is returned
// after saying so on standard error.
bool prepareFolderEnvironment();

// The same for the executable at this path: the error that stops it, or the
// empty text.
QString prepareFolderEnvironment(const QString& executable);

// The same folder, without creating it.
QString appFolderLocation();

// The path of the running executable, symbolic links resolved.
QString executablePath();

// Whether the executable at this path is an installed one: it lies in
// <prefix>/bin and the display module in <prefix>/lib/fennick/, as an install
// and the package lay them out (a staged install or an unpacked package
// counts too). Anything else is a portable copy.
bool isInstalledLayout(const QString& executable);

// Where the running executable finds its display module: <prefix>/lib/fennick/
// when installed, beside itself otherwise.
QString displayModulePath();

// Points GetAppFolder at another folder, so that tests work in a temporary
// folder; an empty text returns to the executable's folder.
void setAppFolderForTesting(const QString& folder);
