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

// When a batch is full: enough files that a flush costs little per file, few
// enough that a failure or a kill leaves a small batch behind.
constexpr std::size_t kMaxMoves = 1000;
constexpr qint64 kMaxBytes = qint64(256) << 20;
constexpr std::chrono::seconds kMaxAge(1);

// A destination folder of a batch, open, and whether its whole file system is
// to be flushed with it (once for each file system, unless each copy was).
struct FolderToFlush {
    FileDescriptor fd;
    bool withFileSystem;
    QString path;
};

// Runs in the background: touches nothing but its folders.
Result flushFolders(const std::vector<FolderToFlush>& folders) {
    for (const FolderToFlush& folder : folders) {
        if (folder.withFileSystem && syncfs(folder.fd.get()) != 0)
            return errnoFailure(folder.path);
        // File systems that cannot flush a folder say so with EINVAL.
        if (fsync(folder.fd.get()) != 0 && errno != EINVAL)
            return errnoFailure(folder.path);
    }
    return Result::success();
}

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

void MoveBatch::add(const QString& source, const struct stat& sourceInfo, const QString& target,
                    const QByteArray& hash) {
    if (m_moves.empty())
        m_started = std::chrono::steady_clock::now();
    const FileId sourceId{sourceInfo.st_dev, sourceInfo.st_ino};
    m_moves.push_back({source, sourceId, target, hash});
    m_sources.insert(source);
    m_targets.insert(target);
    m_sourceIds.insert(sourceId);
    m_bytes += sourceInfo.st_size;
}

bool MoveBatch::touches(const QString& source, const struct stat& sourceInfo,
                        const QString& target) const {
    return m_sources.contains(source) || m_targets.contains(source) || m_sources.contains(target) ||
           m_targets.contains(target) ||
           m_sourceIds.contains(FileId{sourceInfo.st_dev, sourceInfo.st_ino});
}

Result MoveBatch::flushWhenFull() {
    if (m_moves.empty() || (m_moves.size() < kMaxMoves && m_bytes < kMaxBytes &&
                            std::chrono::steady_clock::now() - m_started < kMaxAge))
        return Result::success();
    Result result = completeFlush();
    if (result.ok())
        result = startFlush();
    return result.ok() ? result : abandonedAfter(result);
}

Result MoveBatch::finish() {
    Result result = completeFlush();
    if (result.ok() && !m_moves.empty())
        result = startFlush();
    if (result.ok())
        result = completeFlush();
    return result.ok() ? result : abandonedAfter(result);
}

// The copies were named before the flush starts, so that syncfs writes them.
Result MoveBatch::startFlush() {
    std::vector<FolderToFlush> folders;
    QSet<QString> seen;
    QSet<dev_t> fileSystems;
    for (const Waiting& move : m_moves) {
        const QString folder = folderOf(move.target);
        if (seen.contains(folder))
            continue;
        seen.insert(folder);
        FileDescriptor fd(
            ::open(encodedPath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat info;
        if (fd.get() < 0 || fstat(fd.get(), &info) != 0)
            return errnoFailure(folder);
        const bool withFileSystem =
            !fileSystems.contains(info.st_dev) && !flushesEachCopy(fd.get(), info.st_dev);
        fileSystems.insert(info.st_dev);
        folders.push_back({std::move(fd), withFileSystem, folder});
    }
    m_flushing = std::exchange(m_moves, {});
    m_bytes = 0;
    // Where no thread can be started, the flush runs when it is waited for.
    m_flushed =
        std::async(std::launch::async | std::launch::deferred, flushFolders, std::move(folders));
    return Result::success();
}

// Waits for the batch being flushed, then deletes its sources in order.
Result MoveBatch::completeFlush() {
    if (m_flushing.empty())
        return Result::success();
    Result result = m_flushed.get();
    for (const Waiting& move : m_flushing) {
        if (result.ok())
            result = deleteSource(move);
        if (!result.ok())
            break;
        m_sources.remove(move.source);
        m_targets.remove(move.target);
        m_sourceIds.remove(move.sourceId);
        if (m_completed)
            m_completed(move.source, move.target, move.hash);
    }
    m_flushing.clear();
    return result;
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

// After a failure the run stops: no move after it is completed.
Result MoveBatch::abandonedAfter(const Result& failure) {
    m_moves.clear();
    m_flushing.clear();
    m_sources.clear();
    m_targets.clear();
    m_sourceIds.clear();
    m_bytes = 0;
    return failure;
}
