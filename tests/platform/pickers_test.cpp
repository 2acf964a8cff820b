#include "platform/pickers.h"
#include "support/fake_file_dialogs.h"
#include "support/file_helpers.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QTemporaryDir>

using namespace test_support;

namespace {

TEST(PickersTest, APickedFileSetsTheLastUsedFolderButNotTheCurrentOne) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/data/a.txt";
    ASSERT_TRUE(writeBytes(file, "a"));
    FakeFileDialogs dialogs;
    Pickers pickers(dialogs);
    const QString before = QDir::currentPath();

    dialogs.answers = {file, QString()};
    EXPECT_EQ(pickers.SelectFile("コピー元ファイル(*.*)", "*.*"), file);
    EXPECT_EQ(dialogs.lastTitle, "ファイルを開く");
    EXPECT_EQ(dialogs.lastFilters,
              (QStringList{"コピー元ファイル(*.*) (*)", "すべてのファイル(*.*) (*)"}));
    EXPECT_EQ(pickers.lastUsedFolder(), dir.path() + "/data/");
    // The current folder stays, so that a picked USB stick is not kept busy.
    EXPECT_EQ(QDir::currentPath(), before);

    // The next picker opens there; a cancel changes nothing.
    EXPECT_EQ(pickers.SelectFile("コピー元ファイル(*.*)", "*.*"), "");
    EXPECT_EQ(dialogs.lastFolder, dir.path() + "/data/");
    EXPECT_EQ(pickers.lastUsedFolder(), dir.path() + "/data/");
}

TEST(PickersTest, AFileAtTheRootLeavesTheRootAsTheLastUsedFolder) {
    FakeFileDialogs dialogs;
    Pickers pickers(dialogs);
    dialogs.answers = {"/a.txt"};
    EXPECT_EQ(pickers.SelectFile("d", "*.txt"), "/a.txt");
    EXPECT_EQ(pickers.lastUsedFolder(), "/");
    EXPECT_EQ(dialogs.lastFilters.front(), "d (*.txt)");
}

} // namespace
