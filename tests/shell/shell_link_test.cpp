#include "shell/shell_link.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

namespace {

ShellLink exampleLink() {
    ShellLink link;
    link.target = QStringLiteral("C:\\App\\Fennick");
    link.arguments = QStringLiteral("/c3");
    link.iconLocation = QStringLiteral("C:\\App\\GLENDOR.icl");
    link.iconIndex = 0;
    link.showCommand = 4;
    return link;
}

// A link checked by hand with an independent reader: header, link
// information with ASCII and UTF-16 paths, two counted strings, terminal block.
TEST(ShellLinkTest, WritesTheBytesOfAKnownGoodLink) {
    const Produced<QByteArray> link = composeShellLink(exampleLink());
    ASSERT_TRUE(link.status.ok());
    const QByteArray& bytes = link.value;
    EXPECT_EQ(bytes.size(), 227);
    EXPECT_EQ(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
              "b86c806a684f76fe34f12fea57d188be5c1b87641917b7eb40b431ec3c5e44ed");
}

// Readers take the target from its UTF-16 form; the single-byte form, read
// in a code page unknown here, holds "?" for every character beyond ASCII.
TEST(ShellLinkTest, ATargetBeyondAsciiIsWrittenInBothForms) {
    ShellLink link = exampleLink();
    link.target = QStringLiteral("/ü/日本/𝄞");
    const Produced<QByteArray> composed = composeShellLink(link);
    ASSERT_TRUE(composed.status.ok());
    const QByteArray& bytes = composed.value;
    // Built in two pieces, since "??/" in one literal is a trigraph.
    EXPECT_TRUE(bytes.contains(QByteArray("/?/?") + "?/?" + '\0'));
    const QByteArray utf16(reinterpret_cast<const char*>(link.target.utf16()),
                           link.target.size() * 2);
    EXPECT_TRUE(bytes.contains(utf16 + QByteArray(2, '\0')));
}

TEST(ShellLinkTest, RefusesTextsALinkCannotHold) {
    ShellLink link = exampleLink();
    link.iconLocation = QStringLiteral("/") + QString(259, QLatin1Char('i'));
    EXPECT_TRUE(composeShellLink(link).status.ok()) << "260 characters fit";
    link.iconLocation += QLatin1Char('i');
    const Result result = composeShellLink(link).status;
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error(), "ファイル名が長すぎます: " + link.iconLocation);

    link = exampleLink();
    link.arguments = QString(0xFFFF, QLatin1Char('a'));
    EXPECT_TRUE(composeShellLink(link).status.ok());
    link.arguments += QLatin1Char('a');
    EXPECT_FALSE(composeShellLink(link).status.ok());
}

} // namespace
