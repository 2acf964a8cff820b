#pragma once

#include "platform/prompter.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QList>
#include <QString>

#include <deque>

namespace test_support {

// Records every message and answers questions from a script; a question
// with no scripted answer left fails the test instead of hanging it.
class FakePrompter : public Prompter {
  public:
    struct Shown {
        QString caption;
        QString text;
    };

    void showMessage(const QString& text, const QString& caption) override {
        messages.append({caption, text});
    }

    Answer askYesNo(const QString& text, const QString& caption) override {
        questions.append({caption, text});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return Answer::None;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const Shown& shown : messages)
            texts.append(shown.text);
        return texts;
    }

    QStringList questionTexts() const {
        QStringList texts;
        for (const Shown& shown : questions)
            texts.append(shown.text);
        return texts;
    }

    std::deque<Answer> answers;
    QList<Shown> messages;
    QList<Shown> questions;
};

} // namespace test_support
