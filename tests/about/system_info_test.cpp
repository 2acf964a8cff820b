#include "about/system_info.h"
#include "platform/program_starter.h"
#include "support/fake_program_starter.h"
#include "support/fake_prompter.h"
#include "support/fake_registry.h"
#include "support/file_helpers.h"

#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>

using namespace test_support;

namespace {

const QString kPathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

QByteArray shiftJis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    return encoder(text);
}

QByteArray withNul(const QByteArray& data) {
    return data + '\0';
}

struct Outcome {
    QStringList started;
    QStringList messages;
    QStringList queried;
};

Outcome startSysInfo(FakeRegistry& registry, FakeProgramStarter& starter) {
    FakePrompter prompter;
    StartSysInfo(registry, starter, prompter);
    EXPECT_EQ(registry.openKeys(), 0) << "a key was left open";
    for (const FakePrompter::Shown& shown : prompter.messages)
        EXPECT_EQ(shown.caption, kApplicationTitle);
    return {starter.started, prompter.messageTexts(), registry.queried};
}

TEST(StartSysInfoTest, StartsTheToolOfTheFirstLocationOrElseTheProgramInTheSecondsFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = folder.path() + QStringLiteral("/MSINFO32.EXE");
    ASSERT_TRUE(writeBytes(program, "tool"));

    // The first location names the tool: the second is never read.
    FakeRegistry both;
    both.setValue(kPathKey, "PATH", kRegistryTextType, withNul("C:\\Tools\\info tool.exe"));
    both.setValue(kFolderKey, "MSINFO", kRegistryTextType, withNul(folder.path().toUtf8()));
    FakeProgramStarter starter;
    starter.installed = {QStringLiteral("C:\\Tools\\info tool.exe")};
    Outcome outcome = startSysInfo(both, starter);
    EXPECT_EQ(outcome.started, starter.installed);
    EXPECT_TRUE(outcome.messages.isEmpty());
    EXPECT_EQ(outcome.queried, QStringList{kPathKey + ":PATH"});

    // The first key missing, or present without its value: the second location's folder.
    FakeRegistry secondOnly;
    secondOnly.setValue(kFolderKey, "MSINFO", kRegistryTextType, withNul(folder.path().toUtf8()));
    FakeRegistry firstWithoutValue = secondOnly;
    firstWithoutValue.addKey(kPathKey);
    for (FakeRegistry* registry : {&secondOnly, &firstWithoutValue}) {
        FakeProgramStarter folderStarter;
        folderStarter.installed = {program};
        outcome = startSysInfo(*registry, folderStarter);
        EXPECT_EQ(outcome.started, QStringList{program});
        EXPECT_TRUE(outcome.messages.isEmpty());
    }
}

TEST(StartSysInfoTest, EveryLookupOrStartThatFailsEndsInTheOneMessage) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A folder named like the program is not a program file.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("MSINFO32.EXE")));
    const QStringList unavailable{kSysInfoUnavailable};

    FakeRegistry nothing;
    FakeRegistry folderWithoutProgram;
    folderWithoutProgram.setValue(kFolderKey, "MSINFO", kRegistryTextType,
                                  withNul(folder.path().toUtf8()));
    for (FakeRegistry* registry : {&nothing, &folderWithoutProgram}) {
        FakeProgramStarter starter;
        const Outcome outcome = startSysInfo(*registry, starter);
        EXPECT_TRUE(outcome.started.isEmpty());
        EXPECT_EQ(outcome.messages, unavailable);
    }

    // A first location that is found but names nothing that starts: an empty
    // text, a value of another type (the path stays empty), a program that
    // cannot be started. The second location, which would work, is not tried.
    const QList<RegistryValue> unusableFirst = {{kRegistryTextType, QByteArray("\0", 1)},
                                                {3, QByteArray("\x01\x02", 2)},
                                                {kRegistryTextType, withNul("C:\\gone.exe")}};
    for (const RegistryValue& value : unusableFirst) {
        FakeRegistry registry;
        registry.setValue(kPathKey, "PATH", value.type, value.data);
        registry.setValue(kFolderKey, "MSINFO", kRegistryTextType, withNul("/usr/bin"));
        FakeProgramStarter starter;
        const Outcome outcome = startSysInfo(registry, starter);
        EXPECT_EQ(outcome.started.size(), 1);
        EXPECT_EQ(outcome.messages, unavailable);
        EXPECT_EQ(outcome.queried, QStringList{kPathKey + ":PATH"});
    }

    // No data at all: the message at once, nothing is started.
    FakeRegistry zeroLength;
    zeroLength.setValue(kPathKey, "PATH", kRegistryTextType, QByteArray());
    zeroLength.setValue(kFolderKey, "MSINFO", kRegistryTextType, withNul("/usr/bin"));
    FakeProgramStarter starter;
    const Outcome outcome = startSysInfo(zeroLength, starter);
    EXPECT_TRUE(outcome.started.isEmpty());
    EXPECT_EQ(outcome.messages, unavailable);
    EXPECT_EQ(outcome.queried, QStringList{kPathKey + ":PATH"});
}

TEST(GetKeyValueTest, ReadsTextsWithoutTheirNulAndNumbersAsHexText) {
    const QString japanese = QStringLiteral("C:\\ﾂｰﾙ\\システム情報.exe");
    const QList<std::pair<RegistryValue, QString>> cases = {
        {{kRegistryTextType, withNul("C:\\info.exe")}, QStringLiteral("C:\\info.exe")},
        {{kRegistryTextType, "C:\\info.exe"}, QStringLiteral("C:\\info.exe")},
        // More bytes than characters: the cut must still take only the NUL.
        {{kRegistryTextType, withNul(shiftJis(japanese))}, japanese},
        {{kRegistryTextType, shiftJis(japanese)}, japanese},
        {{kRegistryTextType, QByteArray("\0", 1)}, QString()},
        // 32-bit numbers, low byte first; each byte without its leading zero.
        {{kRegistryNumberType, QByteArray("\x78\x56\x34\x12", 4)}, QStringLiteral("&h12345678")},
        {{kRegistryNumberType, QByteArray("\x45\x23\x01\x00", 4)}, QStringLiteral("&h12345")},
        {{kRegistryNumberType, QByteArray("\x0D\x0C\xFB\x0A", 4)}, QStringLiteral("&hAFBCD")},
        // Another type leaves the text as it was.
        {{3, QByteArray("\x01", 1)}, QStringLiteral("before")},
    };
    for (const auto& [value, expected] : cases) {
        FakeRegistry registry;
        registry.setValue(kPathKey, "PATH", value.type, value.data);
        QString text = QStringLiteral("before");
        EXPECT_EQ(GetKeyValue(registry, RegistryRoot::LocalMachine, kPathKey, "PATH", text),
                  KeyValueRead::Read)
            << value.data.toHex().toStdString();
        EXPECT_EQ(text, expected) << value.data.toHex().toStdString();
        EXPECT_EQ(registry.openKeys(), 0);
    }
}

TEST(GetKeyValueTest, AMissingKeyOrValueEmptiesTheTextAndNoDataIsUnusable) {
    FakeRegistry registry;
    registry.setValue(kPathKey, "PATH", kRegistryTextType, QByteArray());
    QString text = QStringLiteral("before");
    EXPECT_EQ(GetKeyValue(registry, RegistryRoot::LocalMachine, kPathKey, "PATH", text),
              KeyValueRead::Unusable);
    EXPECT_EQ(GetKeyValue(registry, RegistryRoot::LocalMachine, kPathKey, "OTHER", text),
              KeyValueRead::NotFound);
    EXPECT_TRUE(text.isEmpty());
    text = QStringLiteral("before");
    EXPECT_EQ(GetKeyValue(registry, RegistryRoot::LocalMachine, kFolderKey, "MSINFO", text),
              KeyValueRead::NotFound);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(registry.openKeys(), 0);

    // This system has no registry: nothing is ever found.
    text = QStringLiteral("before");
    SystemRegistry systemRegistry;
    EXPECT_EQ(GetKeyValue(systemRegistry, RegistryRoot::LocalMachine, kPathKey, "PATH", text),
              KeyValueRead::NotFound);
    EXPECT_TRUE(text.isEmpty());
}

TEST(ProgramStarterTest, StartsAnExistingProgramAndReportsOneThatCannotStart) {
    const QString trueProgram = QStandardPaths::findExecutable(QStringLiteral("true"));
    ASSERT_FALSE(trueProgram.isEmpty());
    DetachedProgramStarter starter;
    EXPECT_TRUE(starter.startDetached(trueProgram));
    EXPECT_FALSE(starter.startDetached(QString()));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_FALSE(starter.startDetached(folder.path() + "/missing"));
    // A file that exists but is no program.
    ASSERT_TRUE(writeBytes(folder.path() + "/data.txt", "text"));
    EXPECT_FALSE(starter.startDetached(folder.path() + "/data.txt"));
}

} // namespace
