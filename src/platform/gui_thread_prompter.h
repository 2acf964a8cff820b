#pragma once

#include "platform/prompter.h"

class QObject;

// Hands every message and question to a prompter on the thread of `context`
// (the window's thread) and waits for the answer, so that a job carried out
// on a worker thread still asks its questions in the window's message boxes.
// Called on the context's own thread, it passes straight through.
class GuiThreadPrompter : public Prompter {
  public:
    GuiThreadPrompter(Prompter& target, QObject& context);

    void showMessage(const QString& text, const QString& caption = kApplicationTitle) override;
    Answer askYesNo(const QString& text, const QString& caption) override;

  private:
    template <typename Call> void onContextThread(Call call);

    Prompter& m_target;
    QObject& m_context;
};
