#include "about/system_info.h"

#include "files/file_search.h"
#include "files/text_codec.h"
#include "platform/program_starter.h"
#include "platform/prompter.h"

#include <QDir>

#include <optional>

namespace {

// Where the system-information tool is registered, tried in this order: the
// full path of the tool, then the folder that holds its program file.
const QString kToolPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kToolPathValue = QStringLiteral("PATH");
const QString kToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kToolFolderValue = QStringLiteral("MSINFO");
const QString kToolProgramName = QStringLiteral("MSINFO32.EXE");

// The stored text without its terminating NUL. The cut is made on characters,
// not on the byte count, so that a text with double-byte characters keeps
// every character and loses only the NUL.
QString storedText(const QByteArray& data) {
    QStringDecoder decoder = makeDecoder(FileEncoding::ShiftJis);
    QString text = decoder(data);
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

// A 32-bit number as "&h" and the code of each of its single-byte characters,
// last first, in upper-case hexadecimal without leading zeros.
QString numberText(QByteArray data) {
    if (data.endsWith('\0'))
        data.chop(1);
    QString text = QStringLiteral("&h");
    for (qsizetype i = data.size() - 1; i >= 0; --i)
        text += QString::number(quint8(data[i]), 16).toUpper();
    return text;
}

KeyValueRead readValue(Registry& registry, RegistryKey key, const QString& valueName,
                       QString& keyVal) {
    const std::optional<RegistryValue> value = registry.queryValue(key, valueName);
    if (!value) {
        keyVal.clear();
        return KeyValueRead::NotFound;
    }
    if (value->data.isEmpty())
        return KeyValueRead::Unusable;
    if (value->type == kRegistryTextType)
        keyVal = storedText(value->data);
    else if (value->type == kRegistryNumberType)
        keyVal = numberText(value->data);
    return KeyValueRead::Read;
}

// The program file of the tool, or nothing when the registry names none that
// can be tried. A full path is used as it is; whether it starts tells.
std::optional<QString> sysInfoProgram(Registry& registry) {
    QString path;
    switch (GetKeyValue(registry, RegistryRoot::LocalMachine, kToolPathKey, kToolPathValue, path)) {
    case KeyValueRead::Read:
        return path;
    case KeyValueRead::Unusable:
        return std::nullopt;
    case KeyValueRead::NotFound:
        break;
    }
    if (GetKeyValue(registry, RegistryRoot::LocalMachine, kToolFolderKey, kToolFolderValue, path) !=
        KeyValueRead::Read)
        return std::nullopt;
    const QString program = path + QDir::separator() + kToolProgramName;
    if (!isOrdinaryFile(program))
        return std::nullopt;
    return program;
}

} // namespace

KeyValueRead GetKeyValue(Registry& registry, RegistryRoot keyRoot, const QString& keyName,
                         const QString& subKeyRef, QString& keyVal) {
    const std::optional<RegistryKey> key = registry.openKeyForReading(keyRoot, keyName);
    if (!key) {
        keyVal.clear();
        return KeyValueRead::NotFound;
    }
    const KeyValueRead read = readValue(registry, *key, subKeyRef, keyVal);
    registry.closeKey(*key);
    return read;
}

void StartSysInfo(Registry& registry, ProgramStarter& starter, Prompter& prompter) {
    const std::optional<QString> program = sysInfoProgram(registry);
    if (!program || !starter.startDetached(*program))
        prompter.showMessage(kSysInfoUnavailable);
}
