#pragma once

#include "platform/file_dialogs.h"

#include <gtest/gtest.h>

#include <deque>

namespace test_support {

// Answers the choosers from a script and records how they were opened; a
// chooser opened with no answer left fails the test.
class FakeFileDialogs : public FileDialogs {
  public:
    QString openExistingFile(const QString& title, const QStringList& filters,
                             const QString& folder) override {
        lastTitle = title;
        lastFilters = filters;
        lastFolder = folder;
        return next();
    }

    QString chooseFolder(const QString& prompt, const QString& startFolder) override {
        lastTitle = prompt;
        lastFolder = startFolder;
        return next();
    }

    std::deque<QString> answers;
    QString lastTitle;
    QStringList lastFilters;
    QString lastFolder;

  private:
    QString next() {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << lastTitle.toStdString();
            return QString();
        }
        const QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace test_support
