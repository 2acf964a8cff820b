#pragma once

#include <QString>

// The start of a program that has a display: message boxes, and the window
// when start-up asks for it. It lives in a module of its own (kDisplayModuleName,
// found through displayModulePath), loaded only when a display is named, so
// that runs without one load no window libraries.

constexpr char kDisplayStartSymbol[] = "fennickStartWithDisplay";

// Returned when no display can be reached after all.
constexpr int kNoDisplay = -1;

using DisplayStart = int (*)(int& argc, char** argv, const QString& argument);
