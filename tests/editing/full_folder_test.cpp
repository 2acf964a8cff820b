// Saving a job and storing a destination folder when the application folder's disk is full: the
// window says so, the old files stay as they were and no temporary file is left.

#include "files/settings.h"
#include "support/file_helpers.h"
#include "support/small_tmpfs.h"
#include "support/window_test.h"

#include <optional>

using namespace test_support;

namespace {

const QString kDiskFull = QStringLiteral("ディスクの空き領域が不足しています: ");
const QByteArray kOldSettings = "[MSG]\r\nPreview=1\r\n[SEND Folder]\r\nFolderName0=/old/out\r\n";
const QByteArray kOldJobList = "/old/out/,/old/a.txt\r\n";

class FullFolder : public WindowTest {
  protected:
    FullFolder() : WindowTest(QStringLiteral("app")) {}

    void SetUp() override {
        WindowTest::SetUp();
        if (!m_disk.emplace(m_app, "size=256k").isMounted())
            GTEST_SKIP() << m_disk->whyNot();
        ASSERT_TRUE(writeBytes(path("_Fennick.ini"), kOldSettings));
        ASSERT_TRUE(writeBytes(path("0copylist.txt"), kOldJobList));
        ASSERT_TRUE(m_disk->fillWith(QStringLiteral("filler")));
    }

    QString path(const QString& name) const { return m_app + u'/' + name; }

    // The one message shown, which must be the failure with the disk-full sentence and the file.
    void expectOneFailure(const QString& headline, const QString& file) {
        ASSERT_EQ(m_prompter.messages.size(), 1);
        EXPECT_EQ(m_prompter.messages.front().text, headline + u'\n' + kDiskFull + path(file));
        m_prompter.messages.clear();
    }

    void expectUnchanged() {
        EXPECT_EQ(readBytes(path("_Fennick.ini")), kOldSettings);
        EXPECT_EQ(readBytes(path("0copylist.txt")), kOldJobList);
        EXPECT_EQ(entriesOf(m_app), (QStringList{"0copylist.txt", "_Fennick.ini", "filler"}));
    }

    const QString m_app = m_folder.appFolder().chopped(1);
    std::optional<SmallTmpfs> m_disk;
};

TEST_F(FullFolder, SavingAJobSaysTheDiskIsFullAndKeepsTheOldJobList) {
    const QString headline = QStringLiteral("BATファイルを作成できませんでした。");
    box(0)->setText("/new/a.txt");
    click("Command1_0");
    box(1)->setText("/new/out");

    // Over an old job list, then as the first job list of another profile.
    click("Command1_3");
    expectOneFailure(headline, "0copylist.txt");
    expectUnchanged();
    click("Option2_4");
    box(0)->setText("/new/b.txt");
    click("Command1_0");
    box(1)->setText("/new/out");
    click("Command1_3");
    expectOneFailure(headline, "4copylist.txt");
    expectUnchanged();
}

TEST_F(FullFolder, StoringADestinationFolderSaysTheDiskIsFullAndKeepsTheSettings) {
    const QString headline =
        QStringLiteral("保存先フォルダーを設定ファイルに記録できませんでした。");
    // A key that is replaced and a key that is added both rewrite the whole file.
    for (const char* profile : {"Option2_0", "Option2_7"}) {
        SCOPED_TRACE(profile);
        click(profile);
        m_dialogs.answers = {"/new/out"};
        click("Command1_2");
        expectOneFailure(headline, "_Fennick.ini");
        EXPECT_EQ(box(1)->text(), "/new/out") << "the box still shows the folder chosen";
        expectUnchanged();
    }

    // Without a settings file, none is created.
    ASSERT_TRUE(QFile::remove(path("_Fennick.ini")));
    ASSERT_TRUE(m_disk->fillWith(QStringLiteral("filler")));
    const Result stored = PutIniValue("SEND Folder", "FolderName3", "/new/out");
    EXPECT_EQ(stored.error(), kDiskFull + path("_Fennick.ini"));
    EXPECT_EQ(entriesOf(m_app), (QStringList{"0copylist.txt", "filler"}));
}

} // namespace
