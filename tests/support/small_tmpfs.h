#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace test_support {

// A small tmpfs mounted on a folder for the length of a test, so that the folder can be filled
// up. Mounting needs root (as in CI); where it is impossible, isMounted() is false and whyNot()
// says why, for the test's skip message.
class SmallTmpfs {
  public:
    // The options are tmpfs's own, for example "size=1m" or "nr_inodes=8".
    SmallTmpfs(const QString& folder, const char* options) : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", encoded().constData(), "tmpfs", 0, options) == 0;
        if (!m_mounted)
            m_whyNot = std::string("cannot mount a tmpfs with ") + options +
                       " (needs root): " + std::strerror(errno);
    }
    ~SmallTmpfs() {
        if (m_mounted)
            ::umount2(encoded().constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool isMounted() const { return m_mounted; }
    const std::string& whyNot() const { return m_whyNot; }

    // Fills every free block with one file of that name; true when the file system is full.
    bool fillWith(const QString& name) const {
        const int fd = ::open(pathOf(name).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        static const char block[4096] = {};
        ssize_t written = 0;
        while (fd >= 0 && (written = ::write(fd, block, sizeof block)) > 0) {
        }
        const bool full = fd >= 0 && written < 0 && errno == ENOSPC;
        if (fd >= 0)
            ::close(fd);
        return full;
    }

    // Uses up every free inode with empty files "inode-<n>"; true when no file can be created.
    bool useUpInodes() const {
        for (int n = 0;; ++n) {
            const int fd = ::open(pathOf(QStringLiteral("inode-%1").arg(n)).constData(),
                                  O_CREAT | O_EXCL | O_WRONLY, 0644);
            if (fd < 0)
                return errno == ENOSPC;
            ::close(fd);
        }
    }

  private:
    QByteArray encoded() const { return QFile::encodeName(m_folder); }
    QByteArray pathOf(const QString& name) const {
        return QFile::encodeName(m_folder + u'/' + name);
    }

    QString m_folder;
    bool m_mounted = false;
    std::string m_whyNot;
};

} // namespace test_support
