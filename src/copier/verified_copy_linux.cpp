#include "copier/verified_copy.h"

#include "common/error_text.h"
#include "copier/content_hash.h"
#include "copier/copy_progress.h"
#include "copier/file_descriptor.h"
#include "copier/file_paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// Large enough that the calls cost nothing next to the data and the disk
// reads ahead, small enough to stay in the processor's cache while hashed.
constexpr size_t kBufferBytes = 1 << 20;
// The progress hook hears of the copy at most this often.
constexpr off_t kProgressBytes = 4 << 20;

ssize_t readSome(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool allZero(const char* data, size_t size) {
    return std::all_of(data, data + size, [](char c) { return c == 0; });
}

// Writes the file's data to the device and waits for it, so that its pages are clean and can be
// dropped. Reading back needs no more: the journal is committed by a flush (fsync) only where
// the file must survive a power cut (a move), and a flush per file would cost a copy of many
// small files several times its time. Where the kernel cannot write out a file's pages alone
// (EINVAL, ESPIPE), it is flushed whole.
bool writeOut(int fd) {
    const unsigned flags =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (sync_file_range(fd, 0, 0, flags) == 0)
        return true;
    return (errno == EINVAL || errno == ESPIPE || errno == ENOSYS) && fsync(fd) == 0;
}

} // namespace

CopyOutcome copyDataHashed(int in, int out, const struct stat& source, CopyProgress* progress,
                           QByteArray& hash) {
    const bool holesPossible = source.st_blocks * 512 < source.st_size;
    std::vector<char> buffer(kBufferBytes);
    ContentHash sourceHash;
    off_t offset = 0;
    off_t told = 0;
    for (;;) {
        const ssize_t got = readSome(in, buffer.data(), buffer.size());
        if (got < 0)
            return CopyOutcome::Failed;
        if (got == 0)
            break;
        sourceHash.add(buffer.data(), size_t(got));
        // A buffer of zeros is passed over; the size set at the end keeps it.
        const bool hole = holesPossible && allZero(buffer.data(), size_t(got));
        if (!hole && !writeAll(out, buffer.data(), size_t(got), offset))
            return CopyOutcome::Failed;
        offset += got;
        if (progress != nullptr && offset - told >= kProgressBytes) {
            told = offset;
            if (!progress->fileCopyAdvanced(offset, source.st_size))
                return CopyOutcome::Cancelled;
        }
    }
    if (offset < source.st_size)
        return CopyOutcome::Short;
    if (holesPossible && ftruncate(out, offset) != 0)
        return CopyOutcome::Failed;
    if (progress != nullptr && !progress->fileCopyAdvanced(offset, source.st_size))
        return CopyOutcome::Cancelled;
    hash = sourceHash.text();
    return CopyOutcome::Done;
}

Result checkCopy(int copy, const QByteArray& hash, const QString& source, const QString& target) {
    // Written pages cannot be dropped until they are on the device.
    if (!writeOut(copy))
        return errnoFailure(target);
    posix_fadvise(copy, 0, 0, POSIX_FADV_DONTNEED);
    // The copy was opened for writing only; its own name (also for a file
    // without one) opens it again for reading.
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(copy);
    const FileDescriptor readBack(::open(handle.constData(), O_RDONLY | O_CLOEXEC));
    if (readBack.get() < 0)
        return errnoFailure(target);
    posix_fadvise(readBack.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(kBufferBytes);
    ContentHash copyHash;
    for (;;) {
        const ssize_t got = readSome(readBack.get(), buffer.data(), buffer.size());
        if (got < 0)
            return errnoFailure(target);
        if (got == 0)
            break;
        copyHash.add(buffer.data(), size_t(got));
    }
    if (copyHash.text() != hash)
        return Result::failure(
            describeError(ErrorKind::CopyDiffers, source + QStringLiteral(" → ") + target));
    return Result::success();
}
