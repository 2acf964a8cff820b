#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// The registry roots the program reads, as their 32-bit handle values.
enum class RegistryRoot : quint32 {
    LocalMachine = 0x80000002,
};

// Value types that the program tells apart; any other type is read as well.
inline constexpr quint32 kRegistryTextType = 1;
inline constexpr quint32 kRegistryNumberType = 4;

// One value as stored: texts in the system code page (Shift-JIS, code page 932),
// usually with their terminating NUL; a 32-bit number as four bytes, low byte first.
struct RegistryValue {
    quint32 type = 0;
    QByteArray data;
};

using RegistryKey = quintptr;

// Read access to the system registry. Keys are only ever opened for reading:
// a standard user may read the machine-wide keys but not write them, so asking
// for more would make every lookup fail for such a user.
class Registry {
  public:
    virtual ~Registry() = default;

    // Opens a key below a root; nothing when it is missing or cannot be read.
    virtual std::optional<RegistryKey> openKeyForReading(RegistryRoot root,
                                                         const QString& keyName) = 0;

    // Reads one value of an open key; nothing when the value is missing.
    virtual std::optional<RegistryValue> queryValue(RegistryKey key, const QString& valueName) = 0;

    virtual void closeKey(RegistryKey key) = 0;
};

// The registry of the system the program runs on. Linux has none: every key
// is missing. The entry point creates it and hands it on.
class SystemRegistry : public Registry {
  public:
    std::optional<RegistryKey> openKeyForReading(RegistryRoot root,
                                                 const QString& keyName) override;
    std::optional<RegistryValue> queryValue(RegistryKey key, const QString& valueName) override;
    void closeKey(RegistryKey key) override;
};
