#include "files/text_codec.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 kBlockSize = 256 * 1024;

// Whether a decoder met bytes it had to replace. Qt's UTF-16 decoder does not
// say so for a lone surrogate or an odd last byte, so those are checked here.
bool decodedFaithfully(const QStringDecoder& decoder, FileEncoding encoding, QByteArrayView bytes,
                       const QString& text) {
    if (decoder.hasError())
        return false;
    return !isUtf16(encoding) || (bytes.size() % 2 == 0 && QStringView(text).isValidUtf16());
}

// A word of eight bytes at a time, the last one overlapping the one before:
// text as short as a path is checked more quickly than by vector code.
bool isAscii(QByteArrayView bytes) {
    constexpr quint64 kTopBits = 0x8080808080808080;
    const char* const data = bytes.data();
    const qsizetype size = bytes.size();
    if (size < qsizetype(sizeof(quint64)))
        return std::all_of(data, data + size, [](char c) { return uchar(c) < 0x80; });
    quint64 any = 0;
    quint64 word = 0;
    for (qsizetype i = 0; i + qsizetype(sizeof word) < size; i += sizeof word) {
        std::memcpy(&word, data + i, sizeof word);
        any |= word;
    }
    std::memcpy(&word, data + size - sizeof word, sizeof word);
    return ((any | word) & kTopBits) == 0;
}

} // namespace

ByteOrderMark byteOrderMark(QByteArrayView start) {
    if (start.startsWith("\xFF\xFE"))
        return {2, FileEncoding::Utf16LittleEndian};
    if (start.startsWith("\xFE\xFF"))
        return {2, FileEncoding::Utf16BigEndian};
    if (start.startsWith("\xEF\xBB\xBF"))
        return {3, FileEncoding::Utf8};
    return {};
}

// decode() is lazy: the decoder runs, and notes errors, only when its result
// is turned into a text.
FileEncoding detectEncoding(const QByteArray& bytes) {
    const ByteOrderMark mark = byteOrderMark(bytes);
    if (isUtf16(mark.encoding))
        return mark.encoding;
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(bytes));
    (void)QString(utf8.decode(QByteArrayView("\n")));
    return utf8.hasError() ? FileEncoding::ShiftJis : FileEncoding::Utf8;
}

std::optional<FileEncoding> detectEncoding(QIODevice& device) {
    const qint64 start = device.pos();
    const ByteOrderMark mark = byteOrderMark(device.peek(2));
    if (isUtf16(mark.encoding))
        return mark.encoding;
    QStringDecoder utf8(QStringDecoder::Utf8);
    while (!utf8.hasError()) {
        const QByteArray block = device.read(kBlockSize);
        if (block.isEmpty())
            break;
        (void)QString(utf8.decode(block));
    }
    // A line break cannot continue a multi-byte sequence, so it shows a
    // sequence cut off by the end of the file.
    if (!utf8.hasError())
        (void)QString(utf8.decode(QByteArrayView("\n")));
    if (!device.seek(start))
        return std::nullopt;
    return utf8.hasError() ? FileEncoding::ShiftJis : FileEncoding::Utf8;
}

QStringDecoder makeDecoder(FileEncoding encoding) {
    switch (encoding) {
    case FileEncoding::Utf8:
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    case FileEncoding::Utf16LittleEndian:
        return QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
    case FileEncoding::Utf16BigEndian:
        return QStringDecoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
    case FileEncoding::ShiftJis:
        break;
    }
    return QStringDecoder("Shift_JIS", QStringDecoder::Flag::Stateless);
}

QString textOfUtf8(QByteArrayView bytes) {
    return isAscii(bytes) ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

DecodedText decodeText(const QByteArray& bytes) {
    const FileEncoding encoding = detectEncoding(bytes);
    const ByteOrderMark mark = byteOrderMark(bytes);
    const QByteArrayView body =
        QByteArrayView(bytes).sliced(mark.encoding == encoding ? mark.length : 0);
    QStringDecoder decoder = makeDecoder(encoding);
    DecodedText decoded{decoder.decode(body), true};
    decoded.faithful = decodedFaithfully(decoder, encoding, body, decoded.text);
    // All of them: a mark left at the start would be written back as the one
    // mark that the next read drops, and the text would change its meaning.
    qsizetype marks = 0;
    while (marks < decoded.text.size() && decoded.text[marks] == QChar(0xFEFF))
        ++marks;
    decoded.text.remove(0, marks);
    return decoded;
}

QByteArray encodeText(const QString& text) {
    return text.toUtf8();
}
