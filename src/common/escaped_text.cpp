#include "common/escaped_text.h"

#include <QStringEncoder>

#include <algorithm>

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

void appendHex(QByteArray& out, char kind, unsigned value, int digits) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    out += '\\';
    out += kind;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHexDigits[(value >> shift) & 0xf];
}

void appendEscape(QByteArray& out, char16_t c) {
    if (c == u'\\')
        out += "\\\\";
    else if (c < 0x80)
        appendHex(out, 'x', c, 2);
    else
        appendHex(out, 'u', c, 4);
}

void appendUtf8(QByteArray& out, QStringView text) {
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    const qsizetype used = out.size();
    out.resize(used + toUtf8.requiredSpace(text.size()));
    char* end = toUtf8.appendToBuffer(out.data() + used, text);
    out.truncate(end - out.constData());
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

// Most names are printable ASCII, which is its own UTF-8. The test and the
// copy are loops without branches, which the compiler turns into vector code.
bool isPrintableAscii(QStringView text) {
    const char16_t* const units = text.utf16();
    char16_t lowest = 0xffff, highest = 0, fromBackslash = 0xffff;
    for (qsizetype i = 0; i < text.size(); ++i) {
        lowest = std::min(lowest, units[i]);
        highest = std::max(highest, units[i]);
        fromBackslash = std::min(fromBackslash, char16_t(units[i] ^ u'\\'));
    }
    return text.isEmpty() || (lowest >= 0x20 && highest < 0x7f && fromBackslash != 0);
}

void appendAscii(QByteArray& out, QStringView text) {
    const qsizetype used = out.size();
    out.resize(used + text.size());
    char* const to = out.data() + used;
    const char16_t* const units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i)
        to[i] = char(units[i]);
}

} // namespace

void appendEscapedUtf8(QByteArray& out, QStringView text) {
    if (isPrintableAscii(text))
        return appendAscii(out, text);
    if (!holdsEscapes(text))
        return appendUtf8(out, text);
    while (!text.isEmpty()) {
        const auto stop = std::find_if(text.begin(), text.end(), needsEscape);
        const qsizetype plain = stop - text.begin();
        appendUtf8(out, text.first(plain));
        if (stop == text.end())
            return;
        appendEscape(out, stop->unicode());
        text = text.sliced(plain + 1);
    }
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
        if (valid)
            appendEscapedUtf8(escaped, QString::fromUtf8(character));
        else
            appendHex(escaped, 'x', uchar(name.front()), 2);
        name = name.sliced(valid ? length : 1);
    }
    return QString::fromUtf8(escaped);
}
