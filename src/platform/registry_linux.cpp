#include "platform/registry.h"

std::optional<RegistryKey> SystemRegistry::openKeyForReading(RegistryRoot, const QString&) {
    return std::nullopt;
}

std::optional<RegistryValue> SystemRegistry::queryValue(RegistryKey, const QString&) {
    return std::nullopt;
}

void SystemRegistry::closeKey(RegistryKey) {}
