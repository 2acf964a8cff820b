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

bool TerminalPrompter::askYesNo(const QString& text, const QString& caption) {
    std::fputs(
        (caption + QStringLiteral(": ") + withDisplayLineBreaks(text) + QStringLiteral(" [y/N] "))
            .toUtf8()
            .constData(),
        m_output);
    std::fflush(m_output);
    QByteArray answer;
    for (int c = std::fgetc(m_input); c != EOF && c != '\n'; c = std::fgetc(m_input))
        answer += char(c);
    if (answer.endsWith('\r'))
        answer.chop(1);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES";
}
