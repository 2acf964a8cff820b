#include "app/startup.h"
#include "app/terminal_status.h"
#include "files/app_folder.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"
#include "support/temporary_app_folder.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace test_support;

namespace {

class StartupTest : public TemporaryAppFolderTest {
  protected:
    void SetUp() override {
        TemporaryAppFolderTest::SetUp();
        ASSERT_TRUE(writeBytes(path("src/a.txt"), "a"));
        ASSERT_TRUE(writeBytes(path("7copylist.txt"),
                               (path("out/") + "," + path("src/a.txt") + "\r\n").toUtf8()));
        QDir().mkpath(path("out"));
    }

    FakePrompter m_prompter;
    TerminalStatus m_noTerminal{nullptr};
};

TEST_F(StartupTest, ASilentRunUsesTheSettingsOfTheApplicationFolder) {
    ASSERT_TRUE(writeBytes(path("_Fennick.ini"), "[MSG]\r\nPreview=1\r\nMOVE=moved\r\n"));
    const StartupOutcome outcome = startUp("/M7", false, m_prompter, m_noTerminal);
    EXPECT_EQ(outcome.decision.path, LaunchPath::SilentRun);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{"moved"});
    EXPECT_TRUE(QFileInfo::exists(path("out/a.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("src/a.txt")));
}

TEST_F(StartupTest, AFailedRunEndsWithStatusOne) {
    const StartupOutcome outcome = startUp("/c", false, m_prompter, m_noTerminal);
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{"ファイルが見つかりません: " + path("ccopylist.txt")});
}

// A folder in the settings file's place may not pass for a file without settings.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadStopsTheRunBeforeAnyFile) {
    ASSERT_TRUE(QDir().mkdir(path("_Fennick.ini")));
    const StartupOutcome outcome = startUp("/m7", false, m_prompter, m_noTerminal);
    EXPECT_EQ(outcome.exitStatus, 1);
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.endsWith(path("_Fennick.ini")));
    EXPECT_TRUE(QFileInfo::exists(path("src/a.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("out/a.txt")));
}

TEST_F(StartupTest, AWindowStartRunsNothing) {
    for (const auto& [argument, shift] :
         {std::pair{"", false}, std::pair{"/m7", true}, std::pair{"/x7", false}}) {
        const StartupOutcome outcome = startUp(argument, shift, m_prompter, m_noTerminal);
        EXPECT_NE(outcome.decision.path, LaunchPath::SilentRun) << argument;
    }
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("src/a.txt")));
}

} // namespace
