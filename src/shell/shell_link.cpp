#include "shell/shell_link.h"

#include "common/error_text.h"

#include <QList>
#include <QtEndian>

namespace {

// Which optional parts follow the header.
constexpr quint32 kHasLinkInfo = 0x02;
constexpr quint32 kHasArguments = 0x20;
constexpr quint32 kHasIconLocation = 0x40;
constexpr quint32 kIsUnicode = 0x80;

constexpr quint32 kHeaderSize = 0x4C;
// The header's class identifier {00021401-0000-0000-C000-000000000046}.
constexpr char kLinkClassId[] = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";
// A link information header that also holds the offsets of the UTF-16 paths.
constexpr quint32 kLinkInfoHeaderSize = 0x24;
constexpr quint32 kVolumeIdAndLocalBasePath = 0x01;
constexpr quint32 kDriveFixed = 3;
constexpr qsizetype kMaxPathCharacters = 260;

void appendU16(QByteArray& bytes, quint16 value) {
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

void appendU32(QByteArray& bytes, quint32 value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

QByteArray utf16(const QString& text) {
    QByteArray bytes;
    for (QChar unit : text)
        appendU16(bytes, unit.unicode());
    return bytes;
}

// The single-byte form of a path depends on the reading machine's code page,
// which cannot be known here: characters beyond ASCII become "?", and readers
// take the UTF-16 form.
QByteArray ascii(const QString& text) {
    QByteArray bytes;
    for (char32_t c : text.toUcs4())
        bytes.append(c < 0x80 ? char(c) : '?');
    return bytes;
}

QByteArray header(quint32 flags, const ShellLink& link) {
    QByteArray bytes;
    appendU32(bytes, kHeaderSize);
    bytes.append(kLinkClassId, 16);
    appendU32(bytes, flags);
    // File attributes, three times and the file size are left unknown.
    bytes.append(4 + 3 * 8 + 4, '\0');
    appendU32(bytes, quint32(link.iconIndex));
    appendU32(bytes, link.showCommand);
    // No hot key, then the reserved fields.
    bytes.append(2 + 2 + 4 + 4, '\0');
    return bytes;
}

QByteArray linkInfo(const QString& localPath) {
    QByteArray volumeId;
    const quint32 volumeIdSize = 4 * 4 + 1;
    appendU32(volumeId, volumeIdSize);
    appendU32(volumeId, kDriveFixed);
    appendU32(volumeId, 0);                // serial number unknown
    appendU32(volumeId, volumeIdSize - 1); // the label follows
    volumeId.append('\0');                 // empty label

    const QByteArray basePath = ascii(localPath) + '\0';
    const QByteArray suffix(1, '\0');
    const QByteArray basePathUnicode = utf16(localPath) + QByteArray(2, '\0');
    const QByteArray suffixUnicode(2, '\0');

    const quint32 volumeIdOffset = kLinkInfoHeaderSize;
    const quint32 basePathOffset = volumeIdOffset + volumeId.size();
    const quint32 suffixOffset = basePathOffset + basePath.size();
    const quint32 basePathUnicodeOffset = suffixOffset + suffix.size();
    const quint32 suffixUnicodeOffset = basePathUnicodeOffset + basePathUnicode.size();
    const quint32 size = suffixUnicodeOffset + suffixUnicode.size();

    QByteArray bytes;
    appendU32(bytes, size);
    appendU32(bytes, kLinkInfoHeaderSize);
    appendU32(bytes, kVolumeIdAndLocalBasePath);
    appendU32(bytes, volumeIdOffset);
    appendU32(bytes, basePathOffset);
    appendU32(bytes, 0); // no network location
    appendU32(bytes, suffixOffset);
    appendU32(bytes, basePathUnicodeOffset);
    appendU32(bytes, suffixUnicodeOffset);
    return bytes + volumeId + basePath + suffix + basePathUnicode + suffixUnicode;
}

// A counted UTF-16 string, without a terminating NUL.
QByteArray stringData(const QString& text) {
    QByteArray bytes;
    appendU16(bytes, quint16(text.size()));
    return bytes + utf16(text);
}

} // namespace

Produced<QByteArray> composeShellLink(const ShellLink& link) {
    if (link.iconLocation.size() > kMaxPathCharacters)
        return {Result::failure(describeError(ErrorKind::NameTooLong, link.iconLocation))};
    if (link.arguments.size() > 0xFFFF)
        return {Result::failure(describeError(ErrorKind::NameTooLong, link.arguments))};

    quint32 flags = kHasLinkInfo | kIsUnicode;
    QByteArray strings;
    if (!link.arguments.isEmpty()) {
        flags |= kHasArguments;
        strings += stringData(link.arguments);
    }
    if (!link.iconLocation.isEmpty()) {
        flags |= kHasIconLocation;
        strings += stringData(link.iconLocation);
    }
    const QByteArray terminalBlock(4, '\0');
    return {Result::success(),
            header(flags, link) + linkInfo(link.target) + strings + terminalBlock};
}
