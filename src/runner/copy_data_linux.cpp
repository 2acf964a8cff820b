#include "runner/copy_data.h"

#include "runner/copy_progress.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

// The most one copy call moves before the progress hook hears of it: large
// enough that the calls cost nothing next to the data, small enough for
// several updates a second on a slow stick.
constexpr off_t kChunkBytes = 4 << 20;

bool writeAll(int out, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(out, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool goOn(CopyProgress* progress, off_t copied, off_t size) {
    return progress == nullptr || progress->fileCopyAdvanced(copied, size);
}

CopyOutcome copyByReading(int in, int out, off_t size, CopyProgress* progress) {
    static thread_local char buffer[256 * 1024];
    off_t copied = 0;
    off_t told = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return CopyOutcome::Failed;
        if (got == 0)
            return CopyOutcome::Done;
        if (!writeAll(out, buffer, got))
            return CopyOutcome::Failed;
        copied += got;
        if (copied - told >= kChunkBytes || copied == size) {
            told = copied;
            if (!goOn(progress, copied, size))
                return CopyOutcome::Cancelled;
        }
    }
}

} // namespace

// The kernel's copy offload first (in-kernel copy, or a reflink where the
// file system shares blocks), a read and write loop where it is refused. A
// regular file is copied up to the size it had when it was opened.
CopyOutcome copyData(int in, int out, off_t size, CopyProgress* progress) {
    off_t copied = 0;
    while (copied < size) {
        const ssize_t done = copy_file_range(in, nullptr, out, nullptr,
                                             size_t(std::min(size - copied, kChunkBytes)), 0);
        if (done > 0) {
            copied += done;
            if (!goOn(progress, copied, size))
                return CopyOutcome::Cancelled;
            continue;
        }
        if (done == 0)
            return CopyOutcome::Done; // the file shrank while it was copied
        if (errno == EINTR)
            continue;
        if (copied == 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
            break; // this file system does not offload
        return CopyOutcome::Failed;
    }
    // Pseudo-files report no size; they, and file systems that do not
    // offload, are read to their end.
    if (copied == size && size > 0)
        return CopyOutcome::Done;
    return copyByReading(in, out, size, progress);
}
