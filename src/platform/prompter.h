#pragma once

#include <QString>

// The caption of every message that names none of its own.
inline const QString kApplicationTitle = QStringLiteral("Fennick");

// The answer to a Yes/No question. None when no answer could be had (the
// input of a terminal ended, or there was none): never to be taken for No.
enum class Answer { Yes, No, None };

// Every message and question of the program goes through this seam: a message
// box with a display, the terminal without one, a scripted fake in tests.
class Prompter {
  public:
    virtual ~Prompter() = default;

    // A message with an OK button.
    virtual void showMessage(const QString& text, const QString& caption = kApplicationTitle) = 0;

    // A question with Yes (the default) and No.
    virtual Answer askYesNo(const QString& text, const QString& caption) = 0;
};
