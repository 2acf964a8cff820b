#include "copier/move_batch.h"

#include "common/error_text.h"
#include "copier/file_descriptor.h"
#include "copier/file_operations.h"
#include "copier/file_paths.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// When a batch is finished: enough files that a flush costs little per file,
// few enough that a failure or a kill leaves a small batch behind.
constexpr std::size_t kMaxMoves = 1000;
constexpr qint64 kMaxBytes = qint64(256) << 20;
constexpr std::chrono::seconds kMaxAge(1);

} // namespace

MoveBatch::MoveBatch(Completed completed) : m_completed(std::move(completed)) {}

bool MoveBatch::flushesEachCopy(int fd, dev_t device) {
    const auto known = m_flushesEachCopy.constFind(device);
    if (known != m_flushesEachCopy.constEnd())
        return *known;
    // A file system that cannot be told is flushed file by file, to be safe.
    struct statfs info;
    const bool each = fstatfs(fd, &info) != 0 || info.f_type == FUSE_SUPER_MAGIC;
    m_flushesEachCopy.insert(device, each);
    return each;
}

void MoveBatch::add(const QString& source, const struct stat& sourceInfo, const QString& target) {
    if (m_moves.empty())
        m_started = std::chrono::steady_clock::now();
    const FileId sourceId{sourceInfo.st_dev, sourceInfo.st_ino};
    m_moves.push_back({source, sourceId, target});
    m_sources.insert(source);
    m_targets.insert(target);
    m_sourceIds.insert(sourceId);
    m_bytes += sourceInfo.st_size;
}

bool MoveBatch::mustFinishBefore(const QString& source, const struct stat& sourceInfo,
                                 const QString& target) const {
    if (m_moves.empty())
        return false;
    return m_moves.size() >= kMaxMoves || m_bytes >= kMaxBytes ||
           std::chrono::steady_clock::now() - m_started >= kMaxAge || m_sources.contains(source) ||
           m_targets.contains(source) || m_sources.contains(target) || m_targets.contains(target) ||
           m_sourceIds.contains(FileId{sourceInfo.st_dev, sourceInfo.st_ino});
}

Result MoveBatch::finish() {
    Result result = makeDurable();
    for (std::size_t i = 0; result.ok() && i < m_moves.size(); ++i) {
        result = deleteSource(m_moves[i]);
        if (result.ok() && m_completed)
            m_completed(m_moves[i].source, m_moves[i].target);
    }
    clear();
    return result;
}

// Each destination folder is flushed once, and each file system once with
// syncfs, which writes every copy on it; on FUSE file systems each copy was
// flushed before it was named.
Result MoveBatch::makeDurable() {
    QSet<QString> folders;
    QSet<dev_t> synced;
    for (const Waiting& move : m_moves) {
        const QString folder = folderOf(move.target);
        if (folders.contains(folder))
            continue;
        folders.insert(folder);
        const FileDescriptor fd(
            ::open(encodedPath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat info;
        if (fd.get() < 0 || fstat(fd.get(), &info) != 0)
            return errnoFailure(folder);
        if (!synced.contains(info.st_dev) && !flushesEachCopy(fd.get(), info.st_dev)) {
            if (syncfs(fd.get()) != 0)
                return errnoFailure(folder);
            synced.insert(info.st_dev);
        }
        // File systems that cannot flush a folder say so with EINVAL.
        if (fsync(fd.get()) != 0 && errno != EINVAL)
            return errnoFailure(folder);
    }
    return Result::success();
}

// A source that was replaced while its move waited is another file: it stays.
Result MoveBatch::deleteSource(const Waiting& move) const {
    struct stat now;
    if (lstat(encodedPath(move.source).constData(), &now) != 0)
        return errnoFailure(move.source);
    if (FileId{now.st_dev, now.st_ino} != move.sourceId)
        return Result::failure(describeError(ErrorKind::SourceReplaced, move.source));
    return deleteFile(move.source);
}

void MoveBatch::clear() {
    m_moves.clear();
    m_sources.clear();
    m_targets.clear();
    m_sourceIds.clear();
    m_bytes = 0;
}
