#pragma once

#include "support/app_sandbox.h"

#include <QString>

#include <gtest/gtest.h>

namespace test_support {

// The run finished (exit status 0) and said nothing: preview mode off, no error.
inline void expectFinishedQuietly(const RunOutcome& outcome) {
    EXPECT_TRUE(outcome.endedByItself);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.errors, QString());
}

// The run took the failure exit (exit status 1) with a message holding the sentence for the kind
// of error and the path concerned.
inline void expectFailure(const RunOutcome& outcome, const QString& sentence, const QString& path) {
    EXPECT_TRUE(outcome.endedByItself);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.errors.contains(sentence) && outcome.errors.contains(path))
        << "expected \"" << sentence.toStdString() << "\" and " << path.toStdString() << " in:\n"
        << outcome.errors.toStdString();
}

} // namespace test_support
