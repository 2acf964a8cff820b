#include "app/startup.h"
#include "files/app_folder.h"
#include "support/fake_prompter.h"
#include "support/file_helpers.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setAppFolderForTesting(m_dir.path());
        ASSERT_TRUE(writeBytes(m_dir.path() + "/src/a.txt", "a"));
        ASSERT_TRUE(
            writeBytes(m_dir.path() + "/7copylist.txt",
                       (m_dir.path() + "/out/," + m_dir.path() + "/src/a.txt\r\n").toUtf8()));
        QDir().mkpath(m_dir.path() + "/out");
    }
    void TearDown() override { setAppFolderForTesting(QString()); }

    QTemporaryDir m_dir;
    FakePrompter m_prompter;
};

TEST_F(StartupTest, ASilentRunUsesTheSettingsOfTheApplicationFolder) {
    ASSERT_TRUE(writeBytes(m_dir.path() + "/_Fennick.ini", "[MSG]\r\nPreview=1\r\nMOVE=moved\r\n"));
    const StartupOutcome outcome = startUp("/M7", false, m_prompter);
    EXPECT_EQ(outcome.decision.path, LaunchPath::SilentRun);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(m_prompter.messageTexts(), QStringList{"moved"});
    EXPECT_TRUE(QFileInfo::exists(m_dir.path() + "/out/a.txt"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/src/a.txt"));
}

TEST_F(StartupTest, AFailedRunEndsWithStatusOne) {
    const StartupOutcome outcome = startUp("/c", false, m_prompter);
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(m_prompter.messageTexts(),
              QStringList{"ファイルが見つかりません: " + m_dir.path() + "/ccopylist.txt"});
}

// Neither a folder in the settings file's place nor a file without read
// permission may pass for a file without settings.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadStopsTheRunBeforeAnyFile) {
    ASSERT_TRUE(QDir().mkdir(m_dir.path() + "/_Fennick.ini"));
    const StartupOutcome outcome = startUp("/m7", false, m_prompter);
    EXPECT_EQ(outcome.exitStatus, 1);
    ASSERT_EQ(m_prompter.messages.size(), 1);
    EXPECT_TRUE(m_prompter.messages.front().text.endsWith(m_dir.path() + "/_Fennick.ini"));
    EXPECT_TRUE(QFileInfo::exists(m_dir.path() + "/src/a.txt"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/out/a.txt"));
}

TEST_F(StartupTest, AWindowStartRunsNothing) {
    for (const auto& [argument, shift] :
         {std::pair{"", false}, std::pair{"/m7", true}, std::pair{"/x7", false}}) {
        const StartupOutcome outcome = startUp(argument, shift, m_prompter);
        EXPECT_NE(outcome.decision.path, LaunchPath::SilentRun) << argument;
    }
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(m_dir.path() + "/src/a.txt"));
}

} // namespace
