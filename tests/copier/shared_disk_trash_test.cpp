// Trashing as one user on an ext4 disk shared with another user: whatever the other user left
// there, each file ends quickly in the user's own trash (with a .trashinfo that restores it) or
// stays where it was, with a message that says why.

#include "copier/trash.h"
#include "support/file_helpers.h"
#include "support/small_tmpfs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace test_support;

namespace {

bool succeeds(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

bool setMode(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// A user made for the test and removed with it.
class TestUser {
  public:
    explicit TestUser(const char* role)
        : m_name(QStringLiteral("fnk%1%2").arg(QLatin1String(role)).arg(getpid())) {
        m_made = succeeds("useradd", {"--no-create-home", "--user-group", m_name});
        const struct passwd* entry = getpwnam(m_name.toUtf8().constData());
        if (m_made && entry != nullptr) {
            m_uid = entry->pw_uid;
            m_gid = entry->pw_gid;
        }
    }
    ~TestUser() {
        if (m_made)
            succeeds("userdel", {m_name});
    }
    uid_t uid() const { return m_uid; } // 0 when the user could not be made
    // Gives a path (a link itself, not what it names) to the user.
    void owns(const QString& path, mode_t mode) const {
        const QByteArray name = QFile::encodeName(path);
        if (!QFileInfo(path).isSymLink()) {
            EXPECT_EQ(::chmod(name.constData(), mode), 0) << name.constData();
        }
        EXPECT_EQ(::lchown(name.constData(), m_uid, m_gid), 0) << name.constData();
    }
    void makes(const QString& folder, mode_t mode) const {
        QDir().mkpath(folder);
        owns(folder, mode);
    }
    bool becomeInChild() const {
        return setgroups(0, nullptr) == 0 && setresgid(m_gid, m_gid, m_gid) == 0 &&
               setresuid(m_uid, m_uid, m_uid) == 0;
    }

  private:
    QString m_name;
    bool m_made = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

// An ext4 image on a loop device, mounted for the length of the test.
class LoopDisk {
  public:
    LoopDisk(const QString& image, const QString& folder) : m_folder(folder) {
        QFile file(image);
        m_mounted = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
                    file.resize(16 << 20) && succeeds("mkfs.ext4", {"-q", image}) &&
                    succeeds("mount", {"-o", "loop", image, folder});
    }
    ~LoopDisk() {
        if (m_mounted)
            succeeds("umount", {m_folder});
    }
    bool isMounted() const { return m_mounted; }

  private:
    QString m_folder;
    bool m_mounted = false;
};

struct Outcome {
    bool ended = false, trashed = false;
    QString message, pathInTrash;
};

// Trashes a file as the user in a child process, killed after ten seconds. `noRoomForText`:
// files can be made but not written, as on a full disk. The child's stderr goes to `errorOutput`.
Outcome trashAs(const TestUser& user, const QString& file, const QString& home,
                const QString& dataHome, bool noRoomForText, const QString& errorOutput) {
    int results[2];
    if (pipe(results) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        ::close(results[0]);
        const int errors =
            ::open(QFile::encodeName(errorOutput).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const struct rlimit none = {0, 0};
        signal(SIGXFSZ, SIG_IGN);
        if (errors < 0 || dup2(errors, STDERR_FILENO) < 0 ||
            (noRoomForText && setrlimit(RLIMIT_FSIZE, &none) != 0) || !user.becomeInChild())
            _exit(1);
        setenv("HOME", QFile::encodeName(home).constData(), 1);
        setenv("XDG_DATA_HOME", QFile::encodeName(dataHome).constData(), 1);
        QString pathInTrash;
        const Result result = moveToTrash(file, pathInTrash);
        // A pipe takes the result whatever the file-size limit.
        const QByteArray out =
            (result.ok() ? "1" : "0") + result.error().toUtf8() + '\0' + pathInTrash.toUtf8();
        _exit(write(results[1], out.constData(), out.size()) == out.size() ? 0 : 1);
    }
    ::close(results[1]);
    QByteArray out;
    char buffer[4096];
    struct pollfd wait = {results[0], POLLIN, 0};
    ssize_t got = 1;
    while (got > 0 && poll(&wait, 1, 10000) == 1 &&
           (got = read(results[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, got);
    ::close(results[0]);
    if (got != 0)
        kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const qsizetype end = out.indexOf('\0');
    return {got == 0, out.startsWith('1'), QString::fromUtf8(out.mid(1, end - 1)),
            QString::fromUtf8(out.mid(end + 1))};
}

// The value of Path= in a .trashinfo, percent-decoded.
QByteArray originalPathIn(const QString& trashInfo) {
    for (const QByteArray& line : readBytes(trashInfo).split('\n')) {
        if (line.startsWith("Path="))
            return QByteArray::fromPercentEncoding(line.mid(5));
    }
    return QByteArray();
}

enum class Trash { Home, Disk, None };

struct TrashCase {
    const char* what;
    QString file;                     // below the test's folder
    Trash expected;                   // which trash takes it; None: the file stays
    QString nameOrMessage;            // its name there, or a part of the message
    std::function<void()> leave = {}; // what lies there before (as root)
    bool noRoomForText = false;
    QString dataHome = QStringLiteral("home/data");
};

TEST(SharedDiskTrash, EachFileEndsInTheUsersOwnTrashOrStays) {
    if (geteuid() != 0 || !QFileInfo::exists("/dev/loop-control"))
        GTEST_SKIP() << "needs root and loop devices";
    QTemporaryDir root;
    const auto at = [&](const QString& relative) { return root.path() + u'/' + relative; };
    ASSERT_TRUE(setMode(root.path(), 0755));
    LoopDisk disk(at("disk.img"), at("disk"));
    if (!disk.isMounted())
        GTEST_SKIP() << "cannot make and mount an ext4 image";
    ASSERT_TRUE(setMode(at("disk"), 01777));
    TestUser user("u"), other("o");
    ASSERT_TRUE(user.uid() != 0 && other.uid() != 0);
    SmallTmpfs ram(at("ram"), "size=64k,mode=1777");
    ASSERT_TRUE(ram.isMounted()) << ram.whyNot();

    const QString uid = QString::number(user.uid());
    const QString userTrash = at("disk/.Trash-" + uid);
    // Another user's folder with files/ and info/ that everyone may write, and a link to it.
    const auto otherUsersTrash = [&](const QString& folder, const QString& link = {}) {
        for (const QString& sub : {folder, folder + "/files", folder + "/info"})
            other.makes(sub, 0777);
        if (!link.isEmpty()) {
            QFile::link(folder, link);
            other.owns(link, 0777);
        }
    };
    // The user's own trash on the disk, with entries of the given names.
    const auto ownTrash = [&](const QStringList& entries) {
        for (const QString& entry : entries) {
            writeBytes(userTrash + "/info/" + entry + ".trashinfo", "[Trash Info]\nPath=x\n");
            user.owns(userTrash + "/info/" + entry + ".trashinfo", 0600);
        }
        for (const QString& folder : {userTrash, userTrash + "/files", userTrash + "/info"})
            user.makes(folder, 0700);
    };
    const QString longName = QString(239, u'n') + ".txt";
    QStringList longNameTrashedNineTimes{longName};
    for (int number = 2; number <= 9; ++number)
        longNameTrashedNineTimes += QString(239, u'n') + '.' + QString::number(number) + ".txt";

    const TrashCase cases[] = {
        {"a file in the home folder", "home/docs/a.txt", Trash::Home, "a.txt"},
        {"a file on the shared disk", "disk/mine/a.txt", Trash::Disk, "a.txt"},
        {"a name in the trash already", "disk/mine/a.b.txt", Trash::Disk, "a.2.b.txt",
         [&] { ownTrash({"a.b.txt"}); }},
        {"another user's .Trash-uid at 0777", "disk/mine/b.txt", Trash::None, "他のユーザー",
         [&] { otherUsersTrash(userTrash); }},
        {"a link as .Trash-uid", "disk/mine/b.txt", Trash::None, "他のユーザー",
         [&] { otherUsersTrash(at("disk/theirs"), userTrash); }},
        {"a link as .Trash/uid", "disk/mine/c.txt", Trash::Disk, "c.txt",
         [&] {
             QDir().mkpath(at("disk/.Trash"));
             setMode(at("disk/.Trash"), 01777);
             otherUsersTrash(at("disk/theirs"), at("disk/.Trash/") + uid);
         }},
        {".Trash without the sticky bit", "disk/mine/d.txt", Trash::Disk, "d.txt",
         [&] {
             user.makes(at("disk/.Trash/") + uid, 0700);
             setMode(at("disk/.Trash"), 0777);
         }},
        {"percent signs, hex digits and a blank", "disk/mine/a%41 100% done.txt", Trash::Disk,
         "a%41 100% done.txt"},
        {"a line break", "disk/mine/line\nbreak.txt", Trash::Disk, "line\nbreak.txt"},
        {"a file named info where the folder belongs", "disk/mine/e.txt", Trash::None,
         "ごみ箱のフォルダーがあるべき場所にファイルがあります",
         [&] {
             user.makes(userTrash, 0700);
             writeBytes(userTrash + "/info", "");
         }},
        {"a long name trashed nine times", "disk/mine/" + longName, Trash::None,
         "ファイル名が長すぎます", [&] { ownTrash(longNameTrashedNineTimes); }},
        {"no room for the .trashinfo's text", "disk/mine/f.txt", Trash::None,
         ".trashinfo を書き込めません", nullptr, true},
        {"a full home trash, a file on a disk with room", "disk/mine/g.txt", Trash::Disk, "g.txt",
         nullptr, false, "ram/data"},
        {"tmpfs", "ram/h.txt", Trash::None, "tmpfs"},
        {"a folder that the user may not change", "disk/roots/i.txt", Trash::None,
         "アクセスが拒否されました"},
    };

    for (const TrashCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& trash : {userTrash, at("disk/.Trash"), at("disk/theirs")})
            QFile::remove(trash) || QDir(trash).removeRecursively();
        for (const QString& folder : {at("home"), at("home/docs"), at("disk/mine")})
            user.makes(folder, 0700);
        const QString file = at(c.file);
        QFile::remove(at("ram/filler"));
        ASSERT_TRUE(writeBytes(file, c.what));
        user.owns(file, 0644);
        ASSERT_TRUE(ram.fillWith("filler"));
        if (c.leave)
            c.leave();

        const Outcome outcome =
            trashAs(user, file, at("home"), at(c.dataHome), c.noRoomForText, at("errors.txt"));
        ASSERT_TRUE(outcome.ended) << "did not end within ten seconds";
        EXPECT_EQ(readBytes(at("errors.txt")), QByteArray());
        if (c.expected == Trash::None) {
            EXPECT_FALSE(outcome.trashed);
            EXPECT_EQ(readBytes(file), c.what);
            EXPECT_TRUE(outcome.message.startsWith("ごみ箱に移動できません（"));
            EXPECT_TRUE(outcome.message.contains(c.nameOrMessage)) << outcome.message.toStdString();
            EXPECT_TRUE(outcome.message.endsWith("）: " + file)) << outcome.message.toStdString();
            continue;
        }
        const QString trash = c.expected == Trash::Home ? at("home/data/Trash") : userTrash;
        ASSERT_TRUE(outcome.trashed) << outcome.message.toStdString();
        EXPECT_EQ(outcome.pathInTrash, trash + "/files/" + c.nameOrMessage);
        EXPECT_EQ(readBytes(outcome.pathInTrash), c.what);
        EXPECT_FALSE(QFileInfo::exists(file));
        struct stat info;
        ASSERT_EQ(::lstat(QFile::encodeName(trash).constData(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode) && info.st_uid == user.uid() &&
                    (info.st_mode & 07777) == 0700);
        const QByteArray original =
            originalPathIn(trash + "/info/" + c.nameOrMessage + ".trashinfo");
        const QString top = c.expected == Trash::Home ? QString() : at("disk/");
        EXPECT_EQ(original.startsWith('/') ? original : QFile::encodeName(top) + original,
                  QFile::encodeName(file));
    }
}

} // namespace
