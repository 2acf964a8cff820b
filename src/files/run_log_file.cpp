#include "files/run_log_file.h"

#include "common/escaped_text.h"
#include "files/app_folder.h"
#include "files/replacement_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How often the log is opened anew when another run replaced it meanwhile.
constexpr int kOpenAttempts = 8;
constexpr qint64 kChunk = 1024 * 1024;
// A block of lines is written when it is this large or this old.
constexpr qsizetype kBlockSize = 64 * 1024;
constexpr qint64 kBlockMilliseconds = 100;

void sayThereIsNoLog(const QString& path) {
    const QByteArray note =
        QStringLiteral("実行ログの場所にリンクか通常のファイルではないものがあるため、"
                       "この実行のログは書きません: %1\n")
            .arg(escapedText(path))
            .toUtf8();
    std::fwrite(note.constData(), 1, size_t(note.size()), stderr);
}

// Whether the path still names the open file: another run may have replaced
// it since it was opened.
bool pathNamesFile(const QByteArray& path, const struct stat& file) {
    struct stat named;
    return ::fstatat(AT_FDCWD, path.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           named.st_dev == file.st_dev && named.st_ino == file.st_ino;
}

QByteArray readAt(int fd, qint64 from, qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(size - done), from + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        done += got;
    }
    return bytes;
}

// Where the kept part of a log of this size begins: the first run that
// begins in its last trimmedSize bytes, or else the newest run, whole. 0 when
// nothing can be dropped, -1 when the log cannot be read.
qint64 keptFrom(int fd, qint64 size, const RunLogLimits& limits) {
    if (size <= limits.trimmedSize)
        return 0;
    const QByteArray header = '\n' + limits.runStart;
    // The byte before the last trimmedSize bytes tells whether a run starts
    // right at their beginning.
    qint64 from = std::max<qint64>(0, size - limits.trimmedSize - 1);
    const QByteArray tail = readAt(fd, from, size - from);
    if (tail.isEmpty())
        return -1;
    const qsizetype first = tail.indexOf(header);
    if (first >= 0)
        return from + first + 1;
    // Backwards for the newest run's header; the chunks overlap by the
    // header's length less one, so that none is split.
    qint64 end = from + header.size() - 1;
    while (from > 0) {
        from = std::max<qint64>(0, end - kChunk);
        const QByteArray chunk = readAt(fd, from, end - from);
        if (chunk.isEmpty())
            return -1;
        const qsizetype last = chunk.lastIndexOf(header);
        if (last >= 0)
            return from + last + 1;
        end = from + header.size() - 1;
    }
    return 0;
}

// Replaces the log by its part from keptFrom on, through a new file in the
// same folder that is renamed over it: the rename replaces whatever the path
// names, never following a link.
void dropOldestRuns(int fd, const QString& path, const struct stat& info,
                    const RunLogLimits& limits) {
    const qint64 from = keptFrom(fd, info.st_size, limits);
    if (from <= 0)
        return;
    ReplacementFile kept(path);
    for (qint64 at = from; at < info.st_size; at += kChunk) {
        const QByteArray chunk = readAt(fd, at, std::min(kChunk, info.st_size - at));
        if (chunk.isEmpty())
            return;
        kept.write(chunk);
    }
    kept.commit(info.st_mode & 07777);
}

// The steady clock is read without a system call, once for each line.
qint64 steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

QString runLogFilePath() {
    return GetAppFolder() + QStringLiteral("_Fennick.log");
}

void RunLogFile::open(const QString& path, const RunLogLimits& limits) {
    const QByteArray name = QFile::encodeName(path);
    bool trimmed = false;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        // Not blocking, so that a pipe in the log's place cannot stop the run.
        const int fd =
            ::open(name.constData(),
                   O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0666);
        struct stat info;
        if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            const int error = errno;
            if (fd >= 0 || error == ELOOP || error == EISDIR || error == ENXIO)
                sayThereIsNoLog(path);
            if (fd >= 0)
                ::close(fd);
            return;
        }
        // A trim must not replace the file while another run writes to it;
        // where locks are not supported at all, the log is trimmed anyway.
        if (!trimmed && info.st_size > limits.sizeLimit &&
            (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) &&
            pathNamesFile(name, info)) {
            dropOldestRuns(fd, path, info, limits);
            trimmed = true;
            ::close(fd);
            continue;
        }
        // Waits only while another run trims.
        while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
        }
        if (pathNamesFile(name, info)) {
            m_fd = fd;
            return;
        }
        ::close(fd);
    }
}

RunLogFile::~RunLogFile() {
    flush();
    if (m_fd >= 0)
        ::close(m_fd);
}

void RunLogFile::growBlock(qsizetype size) {
    // Room for a whole block and the line that ends it, made once; only a
    // longer line needs more.
    m_block.resize(std::max(size, 2 * kBlockSize));
}

void RunLogFile::endLine(char* end) {
    if (m_fd < 0)
        return;
    *end++ = '\n';
    m_used = end - m_block.constData();
    const qint64 now = steadyMilliseconds();
    if (m_blockBegan < 0)
        m_blockBegan = now;
    if (m_used >= kBlockSize || now - m_blockBegan >= kBlockMilliseconds)
        flush();
}

void RunLogFile::flush() {
    if (m_fd < 0 || m_used == 0)
        return;
    ssize_t written;
    do
        written = ::write(m_fd, m_block.constData(), size_t(m_used));
    while (written < 0 && errno == EINTR);
    // After a failed or short write the rest of the run is not logged, so
    // that no line is glued to a broken one.
    if (written != m_used) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_used = 0;
    m_blockBegan = -1;
}
