#include "files/file_search.h"
#include "files/wildcard.h"
#include "support/file_helpers.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace test_support;

namespace {

TEST(WildcardTest, MatchesStarAndQuestionMarkOnly) {
    EXPECT_TRUE(matchesWildcard(u"*.log", u"a.log"));
    EXPECT_TRUE(matchesWildcard(u"*.log", u".log"));
    EXPECT_FALSE(matchesWildcard(u"*.log", u"a.LOG")) << "letter case counts";
    EXPECT_FALSE(matchesWildcard(u"*.log", u"a.log.bak"));
    EXPECT_TRUE(matchesWildcard(u"a*b*c", u"aXXbYYbc"));
    EXPECT_TRUE(matchesWildcard(u"?.txt", u"日.txt"));
    EXPECT_TRUE(matchesWildcard(QString::fromUcs4(U"?.txt"), QString::fromUcs4(U"\U0001F600.txt")));
    EXPECT_FALSE(matchesWildcard(u"?.txt", u"ab.txt"));
    EXPECT_TRUE(matchesWildcard(u"[a].txt", u"[a].txt"));
    EXPECT_FALSE(matchesWildcard(u"[ab].txt", u"a.txt")) << "no character classes";
    EXPECT_TRUE(matchesWildcard(u"back\\*", u"back\\slash"));
    EXPECT_TRUE(matchesWildcard(u"*", u""));
    EXPECT_FALSE(hasWildcards(u"/plain/name.txt"));
    EXPECT_TRUE(hasWildcards(u"/tmp/?.txt"));
}

TEST(FileSearchTest, FindsOrdinaryFilesInByteOrder) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    for (const char* name : {"b.log", "a.log", "B.log", ".hidden.log", "日本.log", "other.txt"})
        ASSERT_TRUE(writeBytes(root + QString::fromUtf8(name), "x"));
    QDir().mkpath(root + "folder.log");
    ASSERT_TRUE(QFile::link(root + "a.log", root + "link.log"));
    ASSERT_TRUE(QFile::link(root + "gone", root + "broken.log"));

    const QStringList expected = {"B.log", "a.log", "b.log", "link.log", "日本.log"};
    const auto namesFound = [&](const QString& pattern) {
        QStringList found = findOrdinaryFiles(root + pattern).value;
        for (QString& path : found)
            path.remove(0, root.size());
        return found;
    };
    EXPECT_EQ(namesFound("*.log"), expected);
    EXPECT_EQ(firstOrdinaryFileName(root + "*.log"), "B.log");
    // Hidden files only for a pattern that begins with a dot, or by their name.
    for (const char* hiddenOnly : {".*.log", ".h*", ".hidden.lo?", ".hidden.log"})
        EXPECT_EQ(namesFound(hiddenOnly), QStringList{".hidden.log"}) << hiddenOnly;
    for (const char* visibleOnly : {"*", "?hidden.log", "*hidden.log"})
        EXPECT_FALSE(namesFound(visibleOnly).contains(".hidden.log")) << visibleOnly;

    // Without wildcards the path itself, when it is an ordinary file.
    EXPECT_EQ(findOrdinaryFiles(root + "a.log").value, QStringList{root + "a.log"});
    EXPECT_EQ(firstOrdinaryFileName(root + "link.log"), "link.log");
    EXPECT_TRUE(findOrdinaryFiles(root + "folder.log").value.isEmpty());
    EXPECT_TRUE(findOrdinaryFiles(root + "broken.log").value.isEmpty());
    EXPECT_TRUE(findOrdinaryFiles(root + "missing*").value.isEmpty());
    EXPECT_TRUE(findOrdinaryFiles(root + "nofolder/*").value.isEmpty());
    EXPECT_TRUE(findOrdinaryFiles(root).value.isEmpty());
}

TEST(FileSearchTest, APatternThatMeetsANameThatIsNotUtf8SaysSo) {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + "/";
    ASSERT_TRUE(writeBytes(dir.path() + "/a.txt", "a"));
    // Latin-1 "café\.txt" and a Shift-JIS name: bytes that are no UTF-8.
    for (const QByteArray& name : {QByteArray("caf\xe9\\.txt"), QByteArray("\x93\xfa.txt")}) {
        const int fd = ::open((root + name).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const Produced<QStringList> found = findOrdinaryFiles(dir.path() + "/*.txt");
    EXPECT_FALSE(found.status.ok());
    const QString lead = "ファイル名を UTF-8 として読み取れません: " + dir.path() + "/";
    EXPECT_EQ(found.status.error(), lead + "caf\\xe9\\\\.txt");
    EXPECT_TRUE(findOrdinaryFiles(dir.path() + "/a.*").status.ok());
}

} // namespace
