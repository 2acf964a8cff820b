// A shortcut written for any application folder and executable name reads
// back to the intended program and argument: the shell link's target,
// arguments and icon, and the launcher's two command lines, which never split
// into more arguments than intended. A folder that a shortcut cannot hold is
// refused instead.

#include "fuzz_support.h"
#include "shell/shortcut_files.h"
#include "support/launcher_reader.h"

#include <QtEndian>

using test_support::launcherCommand;

namespace {

quint32 u32At(const QByteArray& bytes, qsizetype at) {
    require(at >= 0 && at + 4 <= bytes.size(), "a link's field lies inside it");
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// A NUL-terminated UTF-16 text at a position.
QString utf16zAt(const QByteArray& bytes, qsizetype at) {
    QString text;
    for (; at + 2 <= bytes.size(); at += 2) {
        const char16_t unit = qFromLittleEndian<quint16>(bytes.constData() + at);
        if (unit == 0)
            return text;
        text.append(QChar(unit));
    }
    require(false, "a link's text is terminated");
    return text;
}

// A counted UTF-16 string of the link's string data; moves past it.
QString countedAt(const QByteArray& bytes, qsizetype& at) {
    require(at + 2 <= bytes.size(), "a link's string lies inside it");
    const quint16 count = qFromLittleEndian<quint16>(bytes.constData() + at);
    at += 2;
    require(at + 2 * count <= bytes.size(), "a link's string lies inside it");
    const QString text(reinterpret_cast<const QChar*>(bytes.constData() + at), count);
    at += 2 * count;
    return text;
}

struct LinkContent {
    QString target;
    QString arguments;
    QString iconLocation;
    quint32 iconIndex = 0;
    quint32 showCommand = 0;
};

// Reads what the writer puts into a link: the header, the link information
// with the target's UTF-16 path, then the arguments and the icon location,
// and the terminal block.
LinkContent readLink(const QByteArray& bytes) {
    constexpr qsizetype kHeaderSize = 0x4C;
    LinkContent link;
    require(u32At(bytes, 0) == kHeaderSize, "a link starts with its header size");
    link.iconIndex = u32At(bytes, 0x38);
    link.showCommand = u32At(bytes, 0x3C);
    const quint32 infoSize = u32At(bytes, kHeaderSize);
    link.target = utf16zAt(bytes, kHeaderSize + u32At(bytes, kHeaderSize + 0x1C));
    qsizetype at = kHeaderSize + infoSize;
    link.arguments = countedAt(bytes, at);
    link.iconLocation = countedAt(bytes, at);
    require(u32At(bytes, at) == 0 && at + 4 == bytes.size(),
            "the terminal block alone follows the icon location");
    return link;
}

QString baseName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    ShortcutRequest request;
    request.mode = static_cast<RunMode>(input.ConsumeIntegralInRange(0, 2));
    request.profile = input.ConsumeIntegralInRange(0, 9);
    request.iconSetting = validText(input, 4);
    request.executableName = validText(input, 24);
    request.appFolder = QLatin1Char('/') + validText(input, 300) + QLatin1Char('/');
    request.desktopFolder = QStringLiteral("/desktop");
    const Produced<ShortcutFiles> composed = composeShortcutFiles(request, QProcessEnvironment());
    if (!composed.status.ok())
        return 0;
    const ShortcutFiles& files = composed.value;

    const QString argument =
        QStringList{"/c", "/d", "/m"}.at(int(request.mode)) + QString::number(request.profile);
    const LinkContent link = readLink(files.link);
    require(link.target == request.appFolder + baseName(request.executableName),
            "the link starts the program");
    require(link.arguments == argument, "the link passes the run mode and profile");
    require(link.iconLocation.startsWith(request.appFolder) &&
                link.iconIndex == quint32(request.mode),
            "the link's icon lies in the application folder at the run mode's index");
    require(link.showCommand == 4, "the link starts the program minimised");

    const QString program = request.appFolder + request.executableName;
    require(launcherCommand(files.launcher, QStringLiteral("Desktop Entry")) ==
                QStringList({QStringLiteral("env"), program, argument}),
            "the launcher starts the program with exactly its argument");
    require(launcherCommand(files.launcher, QStringLiteral("Desktop Action settings")) ==
                QStringList(
                    {QStringLiteral("env"), QStringLiteral("FENNICK_SHIFT=1"), program, argument}),
            "the settings action opens the window for the same run mode and profile");
    return 0;
}
