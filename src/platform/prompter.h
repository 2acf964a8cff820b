#pragma once

#include <QString>

// The caption of every message that names none of its own.
inline const QString kApplicationTitle = QStringLiteral("Fennick");

// Every message and question of the program goes through this seam: a message
// box with a display, the terminal without one, a scripted fake in tests.
class Prompter {
  public:
    virtual ~Prompter() = default;

    // A message with an OK button.
    virtual void showMessage(const QString& text, const QString& caption = kApplicationTitle) = 0;

    // A question with Yes (the default) and No; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
};
