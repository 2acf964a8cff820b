#pragma once

#include "platform/registry.h"

#include <QString>

class ProgramStarter;
class Prompter;

// The outcome of reading one registry value.
enum class KeyValueRead {
    Read,     // the value was read (a value of an unknown type leaves the text as it was)
    NotFound, // the key or the value is missing; the text is emptied
    Unusable, // the value holds no data at all
};

// Reads the value subKeyRef of the key keyName below keyRoot into keyVal: a text
// without its terminating NUL, or a 32-bit number written as "&h" followed by
// the hexadecimal code of each of its characters from the last to the first.
KeyValueRead GetKeyValue(Registry& registry, RegistryRoot keyRoot, const QString& keyName,
                         const QString& subKeyRef, QString& keyVal);

// Starts the system-information tool that the registry names, or tells the
// user that it is not available.
void StartSysInfo(Registry& registry, ProgramStarter& starter, Prompter& prompter);

// The one message for every way in which the tool cannot be started.
inline const QString kSysInfoUnavailable = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");
