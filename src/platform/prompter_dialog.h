#pragma once

#include "platform/prompter.h"

// Messages as modal message boxes without icons, with the program's captions.
class DialogPrompter : public Prompter {
  public:
    void showMessage(const QString& text, const QString& caption = kApplicationTitle) override;
    Answer askYesNo(const QString& text, const QString& caption) override;
};
