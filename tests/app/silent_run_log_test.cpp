// A silent run logs what it did and, with [OPTION] Trash=1, deletes into the desktop trash.

#include "support/app_sandbox.h"
#include "support/disk_files.h"
#include "support/run_expectations.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace test_support;

TEST(SilentRunLog, ADeleteRunIntoTheTrashIsLogged) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString src = sandbox.makeFolder(QStringLiteral("src"));
    const QString home = sandbox.makeFolder(QStringLiteral("home"));
    writeFile(src + QStringLiteral("/a.txt"), "a");
    writeFile(sandbox.appFolder() + QStringLiteral("_Fennick.ini"), "[OPTION]\r\nTrash=1\r\n");
    sandbox.writeJobList(QStringLiteral("3"), {{src, src + QStringLiteral("/a.txt")}});

    expectFinishedQuietly(sandbox.run(
        {QStringLiteral("/d3")},
        {.environment = {QStringLiteral("HOME=") + home, QStringLiteral("XDG_DATA_HOME=")}}));

    const QString inTrash = home + QStringLiteral("/.local/share/Trash/files/a.txt");
    EXPECT_EQ(readBytes(inTrash), "a");
    EXPECT_EQ(entriesOf(src), QStringList());
    const QStringList log =
        QString::fromUtf8(readBytes(sandbox.appFolder() + QStringLiteral("_Fennick.log")))
            .split(u'\n');
    ASSERT_EQ(log.size(), 4) << log.join(u'\n').toStdString();
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^==== \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d) "
                           "削除 プロファイル 3 起動引数 /d3$"))
            .match(log[0])
            .hasMatch())
        << log[0].toStdString();
    EXPECT_EQ(log[1],
              QStringLiteral("1 行目 ごみ箱へ: ") + src + QStringLiteral("/a.txt → ") + inTrash);
    EXPECT_EQ(log[2], QStringLiteral("---- 終了: 1 件"));
}
