#pragma once

#include "app/terminal_status.h"
#include "platform/prompter.h"

// Hands every message and question on to another prompter with the status
// line cleared from the terminal meanwhile, so that neither overwrites the
// other; the line is drawn again afterwards.
class StatusLinePrompter : public Prompter {
  public:
    StatusLinePrompter(Prompter& target, TerminalStatus& status)
        : m_target(target), m_status(status) {}

    void showMessage(const QString& text, const QString& caption = kApplicationTitle) override {
        m_status.hide();
        m_target.showMessage(text, caption);
        m_status.show();
    }

    Answer askYesNo(const QString& text, const QString& caption) override {
        m_status.hide();
        const Answer answer = m_target.askYesNo(text, caption);
        m_status.show();
        return answer;
    }

  private:
    Prompter& m_target;
    TerminalStatus& m_status;
};
