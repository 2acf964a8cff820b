#pragma once

#include "platform/prompter.h"

#include <cstdio>

// Messages without a display (a terminal, ssh, cron): "<caption>: <text>" on
// standard error; a question adds " [y/N] " and reads one line, where y, Y,
// yes or YES answer Yes and anything else No. At the end of the input (cron,
// </dev/null, Ctrl-D) there is no answer. A message that cannot be written
// (nobody reads standard error any more) changes nothing.
// The entry point hands in standard error and standard input.
class TerminalPrompter : public Prompter {
  public:
    TerminalPrompter(std::FILE* output, std::FILE* input);

    void showMessage(const QString& text, const QString& caption = kApplicationTitle) override;
    Answer askYesNo(const QString& text, const QString& caption) override;

  private:
    std::FILE* m_output;
    std::FILE* m_input;
};
