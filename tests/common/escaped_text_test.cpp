// Escaping names for a line: every character at every place in a text, so
// that each way through the escaping (runs of sixteen and eight units, the
// last few units, characters one at a time) meets each kind of character.

#include "common/escaped_text.h"

#include <gtest/gtest.h>

namespace {

struct Character {
    const char16_t* text;
    QByteArray written;
};

// The edges of what is written as it is, what is escaped, and units that
// look like plain ASCII in their low byte or after a signed shift.
const Character kCharacters[] = {
    {u" ", " "},
    {u"~", "~"},
    {u"\x1f", "\\x1f"},
    {u"\x7f", "\\x7f"},
    {u"\n", "\\x0a"},
    {u"\\", "\\\\"},
    {u"\u0085", "\\u0085"},
    {u"\u009f", "\\u009f"},
    {u"\u00a0", "\xc2\xa0"},
    {u"\u015c", "\xc5\x9c"},
    {u"\u0141", "\xc5\x81"},
    {u"\u2028", "\\u2028"},
    {u"\u2029", "\\u2029"},
    {u"\u200f", "\xe2\x80\x8f"},
    {u"\u202e", "\\u202e"},
    {u"\u2066", "\\u2066"},
    {u"\u2069", "\\u2069"},
    {u"\u206a", "\xe2\x81\xaa"},
    {u"日", "\xe6\x97\xa5"},
    {u"\u8020", "\xe8\x80\xa0"},
    {u"\u807e", "\xe8\x81\xbe"},
    {u"\uffff", "\xef\xbf\xbf"},
    {u"\U0001f600", "\xf0\x9f\x98\x80"},
    // A surrogate without its other half, wherever it stands.
    {u"\xd83d", "\xef\xbf\xbd"},
    {u"\xde00", "\xef\xbf\xbd"},
};

TEST(EscapedText, EveryCharacterAtEveryPlace) {
    for (const Character& c : kCharacters) {
        const QString character = QString::fromUtf16(c.text);
        for (int before = 0; before <= 20; ++before) {
            for (int after = 0; after <= 20; ++after) {
                const QString text =
                    QString(before, QChar(u'a')) + character + QString(after, QChar(u'b'));
                const QByteArray expected =
                    "> " + QByteArray(before, 'a') + c.written + QByteArray(after, 'b');
                QByteArray written = "> ";
                appendEscapedUtf8(written, text);
                ASSERT_EQ(written, expected) << before << ' ' << after;
            }
        }
    }
}

// Japanese around the character: it is written one character at a time.
TEST(EscapedText, EveryCharacterAmongJapanese) {
    for (const Character& c : kCharacters) {
        const QString text = QStringLiteral("日本語") + QString::fromUtf16(c.text) +
                             QStringLiteral("の名前 abcdefghijklmnop");
        QByteArray written;
        appendEscapedUtf8(written, text);
        EXPECT_EQ(written, "日本語" + c.written + "の名前 abcdefghijklmnop");
    }
}

} // namespace
