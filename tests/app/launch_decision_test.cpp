#include "app/launch_decision.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* argument;
    bool shift;
    LaunchPath path;
    RunMode mode;
    const char* profileText;
};

TEST(LaunchDecisionTest, FollowsTheSwitchTheLastCharacterAndShift) {
    const Case cases[] = {
        {"", false, LaunchPath::InteractiveStart, RunMode::Copy, "0"},
        {"", true, LaunchPath::InteractiveStart, RunMode::Copy, "0"},
        {"/d3", true, LaunchPath::InteractiveStart, RunMode::Copy, "0"},
        {"/M7", false, LaunchPath::SilentRun, RunMode::Move, "7"},
        {"/D3", false, LaunchPath::SilentRun, RunMode::Delete, "3"},
        {"/c12", false, LaunchPath::SilentRun, RunMode::Copy, "2"},
        {"/c", false, LaunchPath::SilentRun, RunMode::Copy, "c"},
        {"/c3 ", false, LaunchPath::SilentRun, RunMode::Copy, " "},
        {"/x5", false, LaunchPath::EmptyWindow, RunMode::Copy, "0"},
        {"xd5", false, LaunchPath::EmptyWindow, RunMode::Copy, "0"},
        {"c", false, LaunchPath::EmptyWindow, RunMode::Copy, "0"},
        {"/", false, LaunchPath::EmptyWindow, RunMode::Copy, "0"},
    };
    for (const Case& c : cases) {
        const LaunchDecision decision = decideLaunch(QString::fromUtf8(c.argument), c.shift);
        EXPECT_EQ(decision.path, c.path) << c.argument;
        EXPECT_EQ(decision.mode, c.mode) << c.argument;
        EXPECT_EQ(decision.profileText, QString::fromUtf8(c.profileText)) << c.argument;
    }
}

TEST(LaunchDecisionTest, TheProfileTextIsAWholeCharacter) {
    EXPECT_EQ(decideLaunch(QStringLiteral("/m日"), false).profileText, QStringLiteral("日"));
    const QString outsideTheBasicPlane = QString::fromUcs4(U"/c\U0001F600");
    EXPECT_EQ(decideLaunch(outsideTheBasicPlane, false).profileText,
              QString::fromUcs4(U"\U0001F600"));
    EXPECT_EQ(lastCharacter(QString()), QString());
}

} // namespace
