#pragma once

#include "platform/registry.h"

#include <QHash>
#include <QStringList>

#include <gtest/gtest.h>

namespace test_support {

// Machine-wide keys held in memory. Records which values were asked for and
// which keys are still open.
class FakeRegistry : public Registry {
  public:
    void addKey(const QString& key) { m_values[key]; }
    void setValue(const QString& key, const QString& name, quint32 type, const QByteArray& data) {
        m_values[key][name] = {type, data};
    }

    std::optional<RegistryKey> openKeyForReading(RegistryRoot root,
                                                 const QString& keyName) override {
        if (root != RegistryRoot::LocalMachine || !m_values.contains(keyName))
            return std::nullopt;
        m_open[++m_lastHandle] = keyName;
        return m_lastHandle;
    }
    std::optional<RegistryValue> queryValue(RegistryKey key, const QString& valueName) override {
        EXPECT_TRUE(m_open.contains(key)) << "query of a key that is not open";
        queried.append(m_open.value(key) + QLatin1Char(':') + valueName);
        const QHash<QString, RegistryValue> values = m_values.value(m_open.value(key));
        if (!values.contains(valueName))
            return std::nullopt;
        return values.value(valueName);
    }
    void closeKey(RegistryKey key) override {
        EXPECT_EQ(m_open.remove(key), 1) << "a key closed twice or never opened";
    }

    qsizetype openKeys() const { return m_open.size(); }

    QStringList queried;

  private:
    QHash<QString, QHash<QString, RegistryValue>> m_values;
    QHash<RegistryKey, QString> m_open;
    RegistryKey m_lastHandle = 0;
};

} // namespace test_support
