#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

class QIODevice;

// Settings and job list files are written in UTF-8. A file that is not valid
// UTF-8 was brought over from a Japanese Windows system and is read as Shift-JIS.
enum class FileEncoding { Utf8, ShiftJis };

// Decides the encoding of a whole text.
FileEncoding detectEncoding(const QByteArray& bytes);

// Decides the encoding of a device from its current position to its end,
// reading in blocks so that a large file is never held in memory; the
// position is restored afterwards. Returns false when the device cannot be read.
bool detectEncoding(QIODevice& device, FileEncoding& encoding);

QStringDecoder makeDecoder(FileEncoding encoding);

// Decodes a whole text in its detected encoding, without the byte-order marks
// that begin it.
QString decodeText(const QByteArray& bytes);

// The UTF-8 bytes that every file of the program is written in.
QByteArray encodeText(const QString& text);
