#include "shell/environment_expansion.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(EnvironmentExpansionTest, ReplacesSetNamesAndKeepsEverythingElse) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("APP"), QStringLiteral("/opt/ビルド"));
    environment.insert(QStringLiteral("EMPTY"), QString());
    environment.insert(QStringLiteral("PCT"), QStringLiteral("%APP%"));
    struct Case {
        const char* text;
        const char* expanded;
    };
    for (const Case& c : {
             Case{"%APP%/Fennick", "/opt/ビルド/Fennick"},
             Case{"%APP%%APP%", "/opt/ビルド/opt/ビルド"},
             Case{"a%EMPTY%b", "ab"},
             Case{"%app%", "%app%"},             // names keep their letter case
             Case{"%UNSET%APP%", "%UNSET%APP%"}, // the text goes on after an unknown name
             Case{"%UNSET%%APP%", "%UNSET%/opt/ビルド"},
             Case{"50%", "50%"},
             Case{"%%", "%%"},
             Case{"%PCT%", "%APP%"}, // a value is not expanded again
             Case{"/plain/path", "/plain/path"},
         }) {
        EXPECT_EQ(expandEnvironmentStrings(QString::fromUtf8(c.text), environment),
                  QString::fromUtf8(c.expanded))
            << c.text;
    }
}

} // namespace
