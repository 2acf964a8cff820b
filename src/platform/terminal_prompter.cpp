#include "platform/terminal_prompter.h"

#include "common/message_text.h"

#include <QByteArray>

TerminalPrompter::TerminalPrompter(std::FILE* output, std::FILE* input)
    : m_output(output), m_input(input) {}

void TerminalPrompter::showMessage(const QString& text, const QString& caption) {
    std::fputs((caption + QStringLiteral(": ") + withDisplayLineBreaks(text) + QLatin1Char('\n'))
                   .toUtf8()
                   .constData(),
               m_output);
    std::fflush(m_output);
}

Answer TerminalPrompter::askYesNo(const QString& text, const QString& caption) {
    std::fputs(
        (caption + QStringLiteral(": ") + withDisplayLineBreaks(text) + QStringLiteral(" [y/N] "))
            .toUtf8()
            .constData(),
        m_output);
    std::fflush(m_output);
    QByteArray answer;
    int c = std::fgetc(m_input);
    if (c == EOF)
        return Answer::None;
    for (; c != EOF && c != '\n'; c = std::fgetc(m_input))
        answer += char(c);
    if (answer.endsWith('\r'))
        answer.chop(1);
    const bool yes = answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
    return yes ? Answer::Yes : Answer::No;
}
