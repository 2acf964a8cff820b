#include "files/run_log_file.h"

#include "files/app_folder.h"
#include "files/atomic_write.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString runLogFilePath() {
    return GetAppFolder() + QStringLiteral("_Fennick.log");
}

void dropOldestRuns(const QString& path, const QByteArray& runStart, qint64 sizeLimit) {
    // Only a regular file is read: opening a pipe would wait for a writer.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= sizeLimit)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // Only the newest sizeLimit bytes can stay; the byte before them tells
    // whether they begin at a line start. A run that begins in them is kept
    // with every run after it.
    const qint64 from = file.size() - sizeLimit - 1;
    if (!file.seek(from))
        return;
    const QByteArray tail = file.readAll();
    if (tail.size() != sizeLimit + 1)
        return;
    const qsizetype lineBreak = tail.indexOf('\n' + runStart);
    file.close();
    writeFileAtomically(path, lineBreak < 0 ? QByteArray() : tail.mid(lineBreak + 1));
}

void RunLogFile::open(const QString& path) {
    // Not blocking, so that a pipe in the log's place cannot stop the run;
    // only a regular file is written.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat info;
    if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RunLogFile::~RunLogFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void RunLogFile::appendLine(const QString& text) {
    if (m_fd < 0)
        return;
    const QByteArray line = text.toUtf8() + '\n';
    ssize_t written;
    do
        written = ::write(m_fd, line.constData(), size_t(line.size()));
    while (written < 0 && errno == EINTR);
    // After a failed or short write the rest of the run is not logged, so
    // that no line is glued to a broken one.
    if (written != line.size()) {
        ::close(m_fd);
        m_fd = -1;
    }
}
