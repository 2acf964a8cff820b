#include "platform/gui_thread_prompter.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

GuiThreadPrompter::GuiThreadPrompter(Prompter& target, QObject& context)
    : m_target(target), m_context(context) {}

template <typename Call> void GuiThreadPrompter::onContextThread(Call call) {
    if (QThread::currentThread() == m_context.thread())
        call();
    else
        QMetaObject::invokeMethod(&m_context, call, Qt::BlockingQueuedConnection);
}

void GuiThreadPrompter::showMessage(const QString& text, const QString& caption) {
    onContextThread([&] { m_target.showMessage(text, caption); });
}

Answer GuiThreadPrompter::askYesNo(const QString& text, const QString& caption) {
    Answer answer = Answer::None;
    onContextThread([&] { answer = m_target.askYesNo(text, caption); });
    return answer;
}
