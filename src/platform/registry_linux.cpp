#include "platform/registry.h"

namespace {

// Linux has no registry: every key is missing.
class NoRegistry : public Registry {
  public:
    std::optional<RegistryKey> openKeyForReading(RegistryRoot, const QString&) override {
        return std::nullopt;
    }
    std::optional<RegistryValue> queryValue(RegistryKey, const QString&) override {
        return std::nullopt;
    }
    void closeKey(RegistryKey) override {}
};

} // namespace

Registry& systemRegistry() {
    static NoRegistry registry;
    return registry;
}
