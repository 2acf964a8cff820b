#include "support/app_sandbox.h"
#include "support/file_helpers.h"

#include <QTemporaryDir>

using namespace test_support;

namespace {

struct DryRunOutput {
    int exitCode = -1;
    QString out;
    QString errors;
};

DryRunOutput dryRun(const AppSandbox& sandbox, const QStringList& arguments,
                    const RunOptions& options = {}) {
    QProcess process;
    sandbox.start(process, arguments, options);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(DryRunStartTest, ItListsTheActionsAndLeavesEveryFileAsItWas) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    writeFile(sandbox.path("data/a.txt"), "a");
    writeFile(sandbox.path("out/a.txt"), "old");
    sandbox.writeSettings("1");
    sandbox.writeJobList("3", {{sandbox.path("out"), sandbox.path("data/a.txt")}});
    const QStringList before = entriesOf(sandbox.appFolder());
    // Neither a display nor SHIFT opens a window; the argument is read as a launch argument.
    const DryRunOutput output =
        dryRun(sandbox, {"--dry-run", "/m13"}, {.environment = {"DISPLAY=:97", "FENNICK_SHIFT=1"}});
    EXPECT_EQ(output.exitCode, 0) << output.errors.toStdString();
    EXPECT_EQ(output.out, "1 行目 上書き移動: " + sandbox.path("data/a.txt") + " → " +
                              sandbox.path("out/a.txt") + "\n");
    EXPECT_EQ(output.errors, "");
    EXPECT_EQ(entriesOf(sandbox.appFolder()), before); // no run log either
    EXPECT_EQ(readBytes(sandbox.path("data/a.txt")), "a");
    EXPECT_EQ(readBytes(sandbox.path("out/a.txt")), "old");
}

TEST(DryRunStartTest, AnInstalledProgramMakesNoFolderOfItsOwn) {
    AppSandbox sandbox;
    ASSERT_TRUE(sandbox.isValid());
    // The installed layout: <prefix>/bin/fennick beside <prefix>/lib/fennick/.
    const QString prefix = sandbox.path("usr");
    QDir().mkpath(prefix + "/bin");
    ASSERT_TRUE(QFile::copy(sandbox.executable(), prefix + "/bin/fennick"));
    writeFile(prefix + "/lib/fennick/Fennick-display.so", "");
    const QString config = sandbox.makeFolder("config");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config);
    process.setProcessEnvironment(environment);
    process.start(prefix + "/bin/fennick", {"--dry-run", "/c3"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const DryRunOutput output{process.exitCode(), process.readAllStandardOutput(),
                              process.readAllStandardError()};
    EXPECT_EQ(output.exitCode, 1);
    EXPECT_EQ(output.errors,
              "Fennick: ファイルが見つかりません: " + config + "/fennick/3copylist.txt\n");
    EXPECT_TRUE(entriesOf(config).isEmpty());
    // An argument that names no run is refused.
    EXPECT_EQ(dryRun(sandbox, {"--dry-run", "/x3"}).exitCode, 1);
}

} // namespace
