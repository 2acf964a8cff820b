#include "common/escaped_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

bool needsEscape(QChar c) {
    const char16_t u = c.unicode();
    // Printable ASCII and everything from U+206A on (Japanese among it)
    // first, as nearly every character of a name is one of them.
    if (u >= 0x20 && u < 0x7f)
        return u == u'\\';
    if (u >= 0x206a)
        return false;
    return u <= 0x9f || (u >= 0x2028 && u <= 0x202e) || u >= 0x2066;
}

// Most names hold nothing to escape.
bool holdsEscapes(QStringView text) {
    return std::any_of(text.begin(), text.end(), needsEscape);
}

bool isPlainAscii(char16_t u) {
    return char16_t(u - 0x20) < 0x5f && u != u'\\';
}

char* writeHex(char* to, char kind, unsigned value, int digits) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    *to++ = '\\';
    *to++ = kind;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        *to++ = kHexDigits[(value >> shift) & 0xf];
    return to;
}

char* writeEscape(char* to, char16_t u) {
    if (u == u'\\') {
        *to++ = '\\';
        *to++ = '\\';
        return to;
    }
    return u < 0x80 ? writeHex(to, 'x', u, 2) : writeHex(to, 'u', u, 4);
}

// The length of the UTF-8 sequence that a byte starts; 1 for a byte that
// starts none.
qsizetype sequenceLength(uchar lead) {
    if (lead >= 0xf0)
        return 4;
    if (lead >= 0xe0)
        return 3;
    return lead >= 0xc0 ? 2 : 1;
}

// Eight UTF-16 units, as many bytes, and the results of comparing them:
// all ones in a lane for true, 0 for false.
using Units8 = quint16 __attribute__((vector_size(16)));
using Lanes8 = qint16 __attribute__((vector_size(16)));
using Bytes8 = qint8 __attribute__((vector_size(8)));

// Most of a name is printable ASCII, which is its own UTF-8: units are
// tested and copied eight at a time, in vector code.
Units8 load8(const char16_t* from) {
    Units8 units;
    std::memcpy(&units, from, sizeof units);
    return units;
}

void store8(char* to, Units8 units) {
    const Bytes8 bytes = __builtin_convertvector(units, Bytes8);
    std::memcpy(to, &bytes, sizeof bytes);
}

// A byte of all ones for each unit that is printable ASCII but a backslash.
quint64 plainMask(Units8 units) {
    // Shifted by 0x7fe0, 0x20 to 0x7e are the signed values below
    // qint16(0x805f), and no other unit is: SSE2 compares signed lanes only.
    const Lanes8 shifted = Lanes8(units + quint16(0x7fe0));
    const Lanes8 plain =
        (shifted < Lanes8{} + qint16(0x805f)) & (Lanes8(units) != Lanes8{} + qint16(u'\\'));
    const Bytes8 bytes = __builtin_convertvector(plain, Bytes8);
    quint64 mask;
    std::memcpy(&mask, &bytes, sizeof mask);
    return mask;
}

constexpr quint64 kAllPlain = ~quint64(0);

// How many units a mask shows plain from the first on.
int leadingPlain(quint64 mask) {
    return (std::endian::native == std::endian::little ? std::countr_one(mask)
                                                       : std::countl_one(mask)) /
           8;
}

// Eight or sixteen units: writes as many bytes and returns how many of them
// stand for plain units at the start.
int copyPlainAscii8(char* to, const char16_t* from) {
    const Units8 units = load8(from);
    store8(to, units);
    const quint64 mask = plainMask(units);
    return mask == kAllPlain ? 8 : leadingPlain(mask);
}

// Copies eight units when they are all plain.
bool copyAllPlain8(char* to, const char16_t* from) {
    const Units8 units = load8(from);
    if (plainMask(units) != kAllPlain)
        return false;
    store8(to, units);
    return true;
}

int copyPlainAscii16(char* to, const char16_t* from) {
    const Units8 first = load8(from), second = load8(from + 8);
    store8(to, first);
    store8(to + 8, second);
    const quint64 firstMask = plainMask(first), secondMask = plainMask(second);
    if ((firstMask & secondMask) == kAllPlain)
        return 16;
    return firstMask == kAllPlain ? 8 + leadingPlain(secondMask) : leadingPlain(firstMask);
}

char* writeUtf8(char* to, char32_t c) {
    if (c < 0x800) {
        *to++ = char(0xc0 | c >> 6);
    } else {
        if (c < 0x10000) {
            *to++ = char(0xe0 | c >> 12);
        } else {
            *to++ = char(0xf0 | c >> 18);
            *to++ = char(0x80 | (c >> 12 & 0x3f));
        }
        *to++ = char(0x80 | (c >> 6 & 0x3f));
    }
    *to++ = char(0x80 | (c & 0x3f));
    return to;
}

// The character that the unit at `from` starts, and moves past it; a
// surrogate without its other half stands for U+FFFD, as in Qt's encoder.
char32_t takeCharacter(const char16_t*& from, const char16_t* end) {
    const char16_t u = *from++;
    if (!QChar::isSurrogate(u))
        return u;
    if (QChar::isHighSurrogate(u) && from != end && QChar::isLowSurrogate(*from))
        return QChar::surrogateToUcs4(u, *from++);
    return QChar::ReplacementCharacter;
}

// One character of the text, which may take two units; moves past it.
// Japanese and ASCII are tested first, as the most common characters: from
// U+206A on nothing is escaped.
char* writeCharacter(char* to, const char16_t*& from, const char16_t* end) {
    const char16_t u = *from;
    if (u >= 0x206a && !QChar::isSurrogate(u)) {
        ++from;
        return writeUtf8(to, u);
    }
    if (isPlainAscii(u)) {
        ++from;
        *to = char(u);
        return to + 1;
    }
    if (needsEscape(u)) {
        ++from;
        return writeEscape(to, u);
    }
    return writeUtf8(to, takeCharacter(from, end));
}

} // namespace

char* writeEscapedUtf8(char* to, QStringView text) {
    const char16_t* const begin = text.utf16();
    const char16_t* const end = begin + text.size();
    const char16_t* from = begin;
    while (end - from >= 8) {
        const int chunk = end - from >= 16 ? 16 : 8;
        const int plain = chunk == 16 ? copyPlainAscii16(to, from) : copyPlainAscii8(to, from);
        to += plain;
        from += plain;
        if (plain == chunk)
            continue;
        // Other characters one at a time, until printable ASCII follows.
        do
            to = writeCharacter(to, from, end);
        while (from != end && !isPlainAscii(*from));
    }
    // The last few units are tested as one chunk with the units just before
    // them: when all are plain, those were written one byte each, and are
    // written again the same. A last unit alone costs less by itself.
    const qsizetype left = end - from, again = 8 - left;
    if (left > 1 && from - begin >= again && copyAllPlain8(to - again, from - again))
        return to + left;
    while (from != end)
        to = writeCharacter(to, from, end);
    return to;
}

void appendEscapedUtf8(QByteArray& out, QStringView text) {
    const qsizetype used = out.size();
    out.resize(used + kMostEscapedBytesPerUnit * text.size());
    out.truncate(writeEscapedUtf8(out.data() + used, text) - out.constData());
}

QString escapedText(const QString& text) {
    // Most texts hold nothing to escape and are written as they are.
    if (!holdsEscapes(text))
        return text;
    QByteArray escaped;
    appendEscapedUtf8(escaped, text);
    return QString::fromUtf8(escaped);
}

QString escapedFileName(QByteArrayView name) {
    QByteArray escaped;
    while (!name.isEmpty()) {
        const qsizetype length = std::min(sequenceLength(uchar(name.front())), name.size());
        const QByteArrayView character = name.first(length);
        const bool valid = character.isValidUtf8();
        if (valid) {
            appendEscapedUtf8(escaped, QString::fromUtf8(character));
        } else {
            const qsizetype used = escaped.size();
            escaped.resize(used + 4);
            writeHex(escaped.data() + used, 'x', uchar(name.front()), 2);
        }
        name = name.sliced(valid ? length : 1);
    }
    return QString::fromUtf8(escaped);
}
