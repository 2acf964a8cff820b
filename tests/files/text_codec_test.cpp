#include "files/text_codec.h"

#include <gtest/gtest.h>

namespace {

// Bytes are looked at eight at a time, so a character outside ASCII is put at
// every place of texts around those lengths: it must never be missed.
TEST(TextOfUtf8Test, MakesTheSameTextAsTheLibraryWhereverACharacterStands) {
    for (const QByteArray& other : {QByteArray("\xC3\xA9"), QByteArray("\xE6\x97\xA5"),
                                    QByteArray("\xF0\x9F\x98\x80"), QByteArray("\xFF")}) {
        for (qsizetype length = 0; length <= 25; ++length) {
            const QByteArray ascii = QByteArray(length, 'a').replace(length / 2, 1, "\0", 1);
            EXPECT_EQ(textOfUtf8(ascii), QString::fromUtf8(ascii));
            for (qsizetype at = 0; at <= length; ++at) {
                const QByteArray bytes = QByteArray(ascii).insert(at, other);
                EXPECT_EQ(textOfUtf8(bytes), QString::fromUtf8(bytes)) << bytes.toHex().data();
            }
        }
    }
}

} // namespace
