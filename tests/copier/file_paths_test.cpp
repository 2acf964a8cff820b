// Paths become the file system's bytes in a buffer kept from path to path, as
// toUtf8() makes them, so that every part of the program names the same file.

#include "copier/file_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(FilePathsTest, EncodedIntoAKeptBufferAsToUtf8MakesThem) {
    const char16_t loneHalf[] = {u'/', u'a', 0xD800, u'b'};
    const QString paths[] = {
        QStringLiteral("/dest/a-much-longer-name-than-the-next.txt"),
        QStringLiteral("/dest/b.txt"),
        QStringLiteral("/写真/日本語の名前.jpg"),
        QString::fromUtf8("/e/\xF0\x9F\x98\x80.txt"), // a pair of surrogates
        QString(reinterpret_cast<const QChar*>(loneHalf), 4),
        QString(),
        QStringLiteral("/dest/c.txt"),
    };
    QByteArray bytes;
    for (const QString& path : paths) {
        encodePath(path, bytes);
        EXPECT_EQ(bytes, path.toUtf8()) << path.toStdString();
    }
}

TEST(FilePathsTest, TheFolderOfBytes) {
    EXPECT_EQ(folderOf(QByteArrayView("/dest/a.txt")), QByteArrayView("/dest"));
    EXPECT_EQ(folderOf(QByteArrayView("/a.txt")), QByteArrayView("/"));
    EXPECT_EQ(folderOf(QByteArrayView("a.txt")), QByteArrayView("."));
}

} // namespace
