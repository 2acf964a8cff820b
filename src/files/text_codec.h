#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <optional>

class QIODevice;

// Settings and job list files are written in UTF-8. Files brought over from a
// Windows system are read too: one that begins with a UTF-16 byte-order mark
// as UTF-16 (little or big endian), one that is not valid UTF-8 as Shift-JIS.
enum class FileEncoding { Utf8, ShiftJis, Utf16LittleEndian, Utf16BigEndian };

// Whether the encoding uses two bytes for every character of the ASCII range.
inline bool isUtf16(FileEncoding encoding) {
    return encoding == FileEncoding::Utf16LittleEndian || encoding == FileEncoding::Utf16BigEndian;
}

// The byte-order mark at the start of a text: its length (0 when there is
// none), and the encoding it names.
struct ByteOrderMark {
    qsizetype length = 0;
    FileEncoding encoding = FileEncoding::Utf8;
};
ByteOrderMark byteOrderMark(QByteArrayView start);

// Decides the encoding of a whole text.
FileEncoding detectEncoding(const QByteArray& bytes);

// Decides the encoding of a device from its current position to its end,
// reading in blocks so that a large file is never held in memory; the
// position is restored afterwards. Nothing when the device cannot be read.
std::optional<FileEncoding> detectEncoding(QIODevice& device);

QStringDecoder makeDecoder(FileEncoding encoding);

// The text of UTF-8 bytes, as QString::fromUtf8 makes it, more quickly when
// they are all ASCII.
QString textOfUtf8(QByteArrayView bytes);

// A text decoded from a file. Not faithful when some bytes could not be
// decoded and were replaced: such a text must not be written back.
struct DecodedText {
    QString text;
    bool faithful = true;
};

// Decodes a whole text in its detected encoding, without the byte-order marks
// that begin it.
DecodedText decodeText(const QByteArray& bytes);

// The UTF-8 bytes that every file of the program is written in.
QByteArray encodeText(const QString& text);
