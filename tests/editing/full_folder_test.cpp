// Saving a job and storing a destination folder when the application folder's disk is full: the
// window says so, the old files stay as they were and no temporary file is left.

#include "app/main_window.h"
#include "files/app_folder.h"
#include "files/settings.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/file_helpers.h"
#include "support/gui_application.h"
#include "support/small_tmpfs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <optional>

namespace {

const QString kDiskFull = QStringLiteral("ディスクの空き領域が不足しています: ");
const QByteArray kOldSettings = "[MSG]\r\nPreview=1\r\n[SEND Folder]\r\nFolderName0=/old/out\r\n";
const QByteArray kOldJobList = "/old/out/,/old/a.txt\r\n";

class FullFolder : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_app = m_dir.path() + QStringLiteral("/app");
        if (!m_disk.emplace(m_app, "size=256k").isMounted())
            GTEST_SKIP() << m_disk->whyNot();
        setAppFolderForTesting(m_app);
        ASSERT_TRUE(writeBytes(path("_Fennick.ini"), kOldSettings));
        ASSERT_TRUE(writeBytes(path("0copylist.txt"), kOldJobList));
        ASSERT_TRUE(m_disk->fillWith(QStringLiteral("filler")));
    }
    void TearDown() override { setAppFolderForTesting(QString()); }

    QString path(const QString& name) const { return m_app + u'/' + name; }
    QLineEdit* box(int i) { return m_window.findChild<QLineEdit*>(QString("Text1_%1").arg(i)); }
    void click(const QString& name) { m_window.findChild<QAbstractButton*>(name)->click(); }

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

    QTemporaryDir m_dir;
    QString m_app;
    std::optional<SmallTmpfs> m_disk;
    FakePrompter m_prompter;
    FakeFileDialogs m_dialogs;
    FakeRegistry m_registry;
    FakeProgramStarter m_starter;
    MainWindow m_window{m_prompter, m_dialogs, m_registry, m_starter};
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
    m_window.findChild<QRadioButton*>("Option2_4")->click();
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
        m_window.findChild<QRadioButton*>(profile)->click();
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
