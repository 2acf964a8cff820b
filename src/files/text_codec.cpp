#include "files/text_codec.h"

#include <QIODevice>

namespace {

constexpr qint64 kBlockSize = 256 * 1024;

} // namespace

// decode() is lazy: the decoder runs, and notes errors, only when its result
// is turned into a text.
FileEncoding detectEncoding(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(bytes));
    (void)QString(utf8.decode(QByteArrayView("\n")));
    return utf8.hasError() ? FileEncoding::ShiftJis : FileEncoding::Utf8;
}

bool detectEncoding(QIODevice& device, FileEncoding& encoding) {
    const qint64 start = device.pos();
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
        return false;
    encoding = utf8.hasError() ? FileEncoding::ShiftJis : FileEncoding::Utf8;
    return true;
}

QStringDecoder makeDecoder(FileEncoding encoding) {
    if (encoding == FileEncoding::Utf8)
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return QStringDecoder("Shift_JIS", QStringDecoder::Flag::Stateless);
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder decoder = makeDecoder(detectEncoding(bytes));
    QString text = decoder.decode(bytes);
    // All of them: a mark left at the start would be written back as the one
    // mark that the next read drops, and the text would change its meaning.
    qsizetype marks = 0;
    while (marks < text.size() && text[marks] == QChar(0xFEFF))
        ++marks;
    return text.remove(0, marks);
}

QByteArray encodeText(const QString& text) {
    return text.toUtf8();
}
