#include "files/app_folder.h"
#include "files/ini_file.h"
#include "files/settings.h"
#include "support/temporary_app_folder.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>

using namespace test_support;

// Shows texts readably in failure messages.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kSend = QStringLiteral("SEND Folder");

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(IniText, ReadsNamesLooselyAndValuesWhole) {
    const QString longValue(300, QChar(0x3042));
    const QString text = QStringLiteral("outside=ignored\r\n"
                                        "[ send folder ]\r\n"
                                        "no equals sign\r\n"
                                        "  FOLDERNAME3 \t=\t D:/Out \r\n"
                                        "FolderName3=second\r\n"
                                        "Quoted=\" padded \"\r\n"
                                        "Single='x'\r\n"
                                        "Lone=\"\r\n"
                                        "Formula = a=b\r\n"
                                        "Long=") +
                         longValue +
                         QStringLiteral("\r\n[SEND Folder]\r\nOther=later\r\n[MSG]\nPreview=1");
    const struct {
        QString section, key, expected;
    } cases[] = {{kSend, "FolderName3", "D:/Out"},
                 {kSend, "quoted", " padded "},
                 {kSend, "Single", "x"},
                 {kSend, "Lone", "\""},
                 {kSend, " formula ", "a=b"},
                 {kSend, "Long", longValue},
                 {kSend, "Other", ""},
                 {"msg", "Preview", "1"},
                 {"", "outside", ""},
                 {kSend, "no equals sign", ""},
                 {"ICON", "ICL", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(iniValue(text, c.section, c.key), c.expected) << c.key.toStdString();
}

TEST(IniText, ReadsEveryLineEndAndSeveralKeysInOnePass) {
    for (const QString lineEnd : {"\r\n", "\n", "\r"}) {
        const QString text = "[Other]" + lineEnd + "Preview=0" + lineEnd + "[MSG]" + lineEnd +
                             "DEL=消去" + lineEnd + "Preview=1" + lineEnd + "[Next]" + lineEnd +
                             "COPY=late";
        EXPECT_EQ(iniValues(text, {{"msg", "Preview"},
                                   {"MSG", "COPY"},
                                   {"Other", "Preview"},
                                   {"Next", "COPY"},
                                   {"msg", "DEL"}}),
                  (QStringList{"1", "", "0", "late", "消去"}))
            << lineEnd.toUtf8().toHex().toStdString();
    }
}

TEST(IniText, WritesInPlaceAndKeepsEveryOtherLine) {
    QString text = QStringLiteral("; written by hand\n[MSG]\nPreview=1\n\n"
                                  "[send folder]\nFolderName3 = old\n\n[Unknown]\nx = y \n");
    ASSERT_TRUE(withIniValue(text, kSend, "FolderName7", "/b").ok());
    ASSERT_TRUE(withIniValue(text, kSend, "FolderName3", "/a").ok());
    EXPECT_EQ(text, "; written by hand\n[MSG]\nPreview=1\n\n"
                    "[send folder]\nFolderName3=/a\nFolderName7=/b\n\n[Unknown]\nx = y \n");

    // CR LF is kept, also when the last line has no line break.
    QString crlf = QStringLiteral("[A]\r\nk=1");
    ASSERT_TRUE(withIniValue(crlf, "B", "k", "2").ok());
    ASSERT_TRUE(withIniValue(crlf, "a", "j", "3").ok());
    EXPECT_EQ(crlf, "[A]\r\nk=1\r\nj=3\r\n[B]\r\nk=2\r\n");

    // A last line that ends in a lone CR keeps its value when lines follow it.
    QString loneCr = QStringLiteral("[A]\nk=1\r");
    const QString before = iniValue(loneCr, "A", "k");
    ASSERT_TRUE(withIniValue(loneCr, "A", "j", "3").ok());
    ASSERT_TRUE(withIniValue(loneCr, "B", "k", "2").ok());
    EXPECT_EQ(iniValue(loneCr, "A", "k"), before);
    EXPECT_EQ(iniValue(loneCr, "A", "j"), "3");
}

TEST(IniText, RefusesWhatCannotBeStoredAndLeavesTheTextAlone) {
    const QString nul(QChar(0));
    const struct {
        QString section, key, value;
    } cases[] = {
        {"S", "k", "a\nb"},    {"S", "k", "a\rb"}, {"S", "k", "a" + nul}, {"S", "", "v"},
        {"S", " \t", "v"},     {"S", "a=b", "v"},  {"S", " [k", "v"},     {"S", "k\r", "v"},
        {"S", "k" + nul, "v"}, {"", "k", "v"},     {"a]b", "k", "v"},     {"a\nb", "k", "v"},
    };
    for (const auto& c : cases) {
        QString text = QStringLiteral("[S]\nk=old\n");
        const Result result = withIniValue(text, c.section, c.key, c.value);
        EXPECT_FALSE(result.ok()) << c.section.toStdString() << "/" << c.key.toStdString();
        EXPECT_FALSE(result.error().isEmpty());
        EXPECT_EQ(text, "[S]\nk=old\n");
    }
}

TEST(IniText, AwkwardValuesReadBackUnchanged) {
    const QString values[] = {"",
                              " ",
                              "  lead",
                              "trail\t",
                              "\"quoted\"",
                              "'single'",
                              "\"",
                              "'",
                              "\"half",
                              "'\"",
                              "\" in \"",
                              "a=b",
                              "=",
                              ";comment",
                              "[section]",
                              "日本語",
                              "全角　",
                              "%PATH%\\bin",
                              "C:\\Program Files\\",
                              "\\\\server\\share"};
    const QString starts[] = {"", "[S]\r\nk=old\r\n", "[s]\nother=1", "[T]\nk=1\n"};
    for (const QString& start : starts) {
        for (const QString& value : values) {
            QString text = start;
            ASSERT_TRUE(withIniValue(text, "S", "k", value).ok());
            EXPECT_EQ(iniValue(text, "S", "k"), value) << text.toStdString();
            EXPECT_EQ(iniValue(text, "T", "k"), start.startsWith("[T]") ? "1" : "");
        }
    }
}

class SettingsFile : public TemporaryAppFolderTest {
  protected:
    QStringList entries() const {
        return QDir(m_folder.root())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(SettingsFile, FirstWriteCreatesTheFileAndLaterWritesKeepOtherLines) {
    const QString path = m_folder.path("_Fennick.ini");
    ASSERT_EQ(settingsFilePath(), path);
    EXPECT_EQ(GetIniValue(kSend, "FolderName3"), "");
    ASSERT_TRUE(PutIniValue(kSend, "FolderName3", "/first").ok());
    EXPECT_EQ(readBytes(path), "[SEND Folder]\nFolderName3=/first\n");

    writeBytes(path, readBytes(path) + "; kept\n\n[ICON]\nICL=0\n");
    ASSERT_TRUE(PutIniValue(kSend, "FolderName7", "/seven").ok());
    ASSERT_TRUE(PutIniValue(kSend, "FolderName3", " /again ").ok());
    EXPECT_EQ(readBytes(path), "[SEND Folder]\nFolderName3=\" /again \"\n; kept\n"
                               "FolderName7=/seven\n\n[ICON]\nICL=0\n");
    EXPECT_EQ(GetIniValue(kSend, "FolderName3"), " /again ");

    const QString longValue(300, QChar(0x30D5));
    ASSERT_TRUE(PutIniValue(kSend, "FolderName0", longValue).ok());
    EXPECT_EQ(GetIniValue(kSend, "foldername0"), longValue);
    EXPECT_EQ(entries(), QStringList{"_Fennick.ini"});
}

TEST_F(SettingsFile, ReadsShiftJisAndByteOrderMarkAndKeepsCrLf) {
    const QString path = settingsFilePath();
    const QString folder = QStringLiteral("/データ/出力先");
    QStringEncoder shiftJis("Shift_JIS");
    ASSERT_TRUE(shiftJis.isValid());
    const QByteArray bytes = shiftJis.encode("[SEND Folder]\r\nFolderName3=" + folder + "\r\n");
    ASSERT_FALSE(shiftJis.hasError());
    writeBytes(path, bytes);
    EXPECT_EQ(GetIniValue(kSend, "FolderName3"), folder);

    // The whole file is written back in UTF-8, with its CR LF line ends.
    ASSERT_TRUE(PutIniValue(kSend, "FolderName4", "/x").ok());
    EXPECT_EQ(readBytes(path),
              ("[SEND Folder]\r\nFolderName3=" + folder + "\r\nFolderName4=/x\r\n").toUtf8());

    writeBytes(path, "\xEF\xBB\xBF[MSG]\nPreview=1\n");
    EXPECT_EQ(GetIniValue("MSG", "Preview"), "1");

    // UTF-16 with a byte-order mark, as Windows editors save "Unicode".
    for (const char* encoding : {"UTF-16LE", "UTF-16BE"}) {
        QStringEncoder utf16(encoding);
        const QByteArray mark = QByteArray(encoding).endsWith("LE") ? "\xFF\xFE" : "\xFE\xFF";
        writeBytes(path, mark + utf16.encode(QStringLiteral("[MSG]\r\nPreview=1\r\nCOPY=済\r\n")));
        EXPECT_EQ(GetIniValue("MSG", "COPY"), QStringLiteral("済")) << encoding;
        ASSERT_TRUE(PutIniValue(kSend, "FolderName1", "/u").ok());
        EXPECT_EQ(readBytes(path), QStringLiteral("[MSG]\r\nPreview=1\r\nCOPY=済\r\n"
                                                  "[SEND Folder]\r\nFolderName1=/u\r\n")
                                       .toUtf8());
    }

    // Repeated marks are all dropped, so that a write cannot uncover a section.
    writeBytes(path, "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF[MSG]\nPreview=1\n");
    EXPECT_EQ(GetIniValue("MSG", "Preview"), "1");
    ASSERT_TRUE(PutIniValue("ICON", "ICL", "0").ok());
    EXPECT_EQ(GetIniValue("MSG", "Preview"), "1");
}

TEST_F(SettingsFile, FailedWritesLeaveEverythingAsItWas) {
    const QString path = settingsFilePath();
    writeBytes(path, "[SEND Folder]\r\nFolderName3=/old\r\n");
    Result result = PutIniValue(kSend, "FolderName3", "/new\n[Evil]");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains("改行")) << result.error().toStdString();
    EXPECT_TRUE(result.error().endsWith(path));
    EXPECT_EQ(readBytes(path), "[SEND Folder]\r\nFolderName3=/old\r\n");

    const QString missing = m_folder.path("missing/_Fennick.ini");
    result = writeIniValue(missing, kSend, "FolderName3", "/new");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().startsWith("パスが見つかりません")) << result.error().toStdString();
    EXPECT_TRUE(result.error().endsWith(missing));
    EXPECT_FALSE(QFileInfo::exists(m_folder.path("missing")));

    // A folder in the way of the settings file fails also for root.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(m_folder.root()).mkdir("_Fennick.ini"));
    result = PutIniValue(kSend, "FolderName3", "/new");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains("フォルダー")) << result.error().toStdString();
    EXPECT_TRUE(result.error().endsWith(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(GetIniValue(kSend, "FolderName3"), "");
    EXPECT_EQ(entries(), QStringList{"_Fennick.ini"});
}

// A file that could be read only with characters replaced is never written
// back: the replacements would stand in the file for good.
TEST_F(SettingsFile, KeepsAFileThatCannotBeReadFaithfully) {
    const QString path = settingsFilePath();
    const QByteArray unfaithful[] = {
        "[SEND Folder]\r\nFolderName3=/\x82\xA0\xFF\xFF\r\n", // not Shift-JIS either
        QByteArray("\xFF\xFE[\0M\0]\0\n", 9),                 // UTF-16 with an odd byte
        QByteArray("\xFF\xFE\x00\xD8\n\0", 6),                // a lone surrogate
    };
    for (const QByteArray& bytes : unfaithful) {
        writeBytes(path, bytes);
        const Result result = PutIniValue(kSend, "FolderName3", "/new");
        EXPECT_FALSE(result.ok()) << bytes.toHex().toStdString();
        EXPECT_TRUE(result.error().endsWith(path));
        EXPECT_EQ(readBytes(path), bytes);
    }
}

// Something that is not an ordinary file in the settings file's place is an
// error at once, never a file without values: a pipe would hang the reader.
TEST_F(SettingsFile, ReadingFailsForWhatIsNoOrdinaryFile) {
    const QString path = settingsFilePath();
    QString text;
    ASSERT_TRUE(readSettingsText(text).ok()) << "a missing file holds no values";
    EXPECT_EQ(text, QString());
    const auto check = [&](const char* what) {
        QString ignored;
        const Result read = readSettingsText(ignored);
        EXPECT_FALSE(read.ok()) << what;
        EXPECT_TRUE(read.error().endsWith(path)) << read.error().toStdString();
        EXPECT_FALSE(PutIniValue(kSend, "FolderName3", "/new").ok()) << what;
        ASSERT_TRUE(QFile::remove(path) || QDir().rmdir(path));
    };
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    check("pipe");
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    check("device");
    ASSERT_TRUE(QDir().mkdir(path));
    check("folder");
    writeBytes(path, "[MSG]\nPreview=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_folder.root()).constData(), 0755), 0);
    EXPECT_TRUE(checkAsUnprivilegedUser([&] {
        QString ignored;
        return readSettingsText(ignored).error() == "アクセスが拒否されました: " + path;
    }));
}

// A file size limit cuts writes off like a full disk does, also for root.
TEST_F(SettingsFile, WriteCutOffKeepsTheOldFile) {
    const QString path = settingsFilePath();
    writeBytes(path, "[SEND Folder]\nFolderName3=/old\n");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Result result = PutIniValue(kSend, "FolderName3", QString(100, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(result.error(), "ファイルが大きすぎます: " + path);
    EXPECT_EQ(readBytes(path), "[SEND Folder]\nFolderName3=/old\n");
    EXPECT_EQ(entries(), QStringList{"_Fennick.ini"});
}

TEST_F(SettingsFile, ReadOnlyFolderRefusesTheWrite) {
    const QString path = settingsFilePath();
    writeBytes(path, "[SEND Folder]\nFolderName3=/old\n");
    const QFileDevice::Permissions writable = QFile::permissions(m_folder.root());
    // Readable and searchable by everyone, writable by nobody but root.
    ASSERT_TRUE(
        QFile::setPermissions(m_folder.root(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther));
    const bool refused = checkAsUnprivilegedUser([&] {
        return PutIniValue(kSend, "FolderName3", "/new").error() ==
               "アクセスが拒否されました: " + path;
    });
    QFile::setPermissions(m_folder.root(), writable);
    EXPECT_TRUE(refused);
    EXPECT_EQ(readBytes(path), "[SEND Folder]\nFolderName3=/old\n");
    EXPECT_EQ(entries(), QStringList{"_Fennick.ini"});
}

} // namespace
