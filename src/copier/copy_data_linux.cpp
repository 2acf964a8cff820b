#include "copier/copy_data.h"

#include "copier/copy_progress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The most one copy call moves before the progress hook hears of it: large
// enough that the calls cost nothing next to the data, small enough for
// several updates a second on a slow stick.
constexpr off_t kChunkBytes = 4 << 20;
constexpr size_t kBufferBytes = 256 * 1024;
// The smallest run of zeros left as a hole: a block of most file systems.
constexpr size_t kHoleBytes = 4096;

// Errors with which copy_file_range says that it cannot copy between these
// two files, rather than that the data cannot be read or written.
bool offloadRefused(int error) {
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
           error == EBADF;
}

// A file with fewer blocks than its size needs may have holes.
bool mayHaveHoles(const struct stat& info) {
    return info.st_blocks * 512 < info.st_size;
}

class DataCopy {
  public:
    // A file that may have holes is read and written, and its blocks of
    // zeros are left as holes: a file system that cannot tell where its holes
    // are (a FUSE file system, for one) reports them as data. Once it has
    // shown a hole, its data regions are data and go to the kernel's copy.
    DataCopy(int in, int out, off_t size, bool holesPossible, CopyProgress* progress)
        : m_in(in), m_out(out), m_size(size), m_holesPossible(holesPossible),
          m_offload(!holesPossible), m_progress(progress) {}

    CopyOutcome clone();
    CopyOutcome copyRegions();
    CopyOutcome readToEnd();

  private:
    bool tell(off_t reached) {
        return m_progress == nullptr || m_progress->fileCopyAdvanced(reached, m_size);
    }
    CopyOutcome copyRegion(off_t offset, off_t end);
    ssize_t moveChunk(off_t offset, size_t length);
    ssize_t readAndWrite(off_t offset, size_t length);
    bool write(const char* data, size_t size, off_t offset);

    int m_in;
    int m_out;
    off_t m_size;
    bool m_holesPossible;
    bool m_offload;
    bool m_holesShown = false; // the source's file system has shown a hole
    CopyProgress* m_progress;
};

} // namespace

bool writeAll(int out, const char* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(out, data, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
        offset += written;
    }
    return true;
}

namespace {

bool isZero(const char* data, size_t size) {
    return size > 0 && data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0;
}

// Writes the data, less the blocks of zeros where the file may have holes.
bool DataCopy::write(const char* data, size_t size, off_t offset) {
    if (!m_holesPossible)
        return writeAll(m_out, data, size, offset);
    size_t start = 0;
    while (start < size) {
        const size_t length = std::min(kHoleBytes, size - start);
        if (isZero(data + start, length)) {
            start += length;
            continue;
        }
        size_t end = start + length;
        while (end < size && !isZero(data + end, std::min(kHoleBytes, size - end)))
            end += std::min(kHoleBytes, size - end);
        if (!writeAll(m_out, data + start, end - start, offset + off_t(start)))
            return false;
        start = end;
    }
    return true;
}

// Up to `length` bytes from `offset`; returns the bytes moved (fewer only at
// the source's end), or -1 with errno set.
ssize_t DataCopy::readAndWrite(off_t offset, size_t length) {
    static thread_local char buffer[kBufferBytes];
    size_t moved = 0;
    while (moved < length) {
        const ssize_t got =
            ::pread(m_in, buffer, std::min(kBufferBytes, length - moved), offset + off_t(moved));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return moved > 0 ? ssize_t(moved) : -1;
        if (got == 0)
            break;
        if (!write(buffer, size_t(got), offset + off_t(moved)))
            return -1;
        moved += size_t(got);
    }
    return ssize_t(moved);
}

// One chunk. The kernel's copy is trusted only for what it reports done: a
// refusal, or an early end (which some network and FUSE file systems report
// although the data is there), turns to reading and writing for the rest.
ssize_t DataCopy::moveChunk(off_t offset, size_t length) {
    if (m_offload) {
        loff_t from = offset;
        loff_t to = offset;
        const ssize_t moved = copy_file_range(m_in, &from, m_out, &to, length, 0);
        if (moved > 0 || (moved < 0 && !offloadRefused(errno)))
            return moved;
        m_offload = false;
    }
    return readAndWrite(offset, length);
}

CopyOutcome DataCopy::copyRegion(off_t offset, off_t end) {
    while (offset < end) {
        const ssize_t moved = moveChunk(offset, size_t(std::min(end - offset, kChunkBytes)));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return CopyOutcome::Failed;
        if (moved == 0)
            return CopyOutcome::Short;
        offset += moved;
        if (!tell(offset))
            return CopyOutcome::Cancelled;
    }
    return CopyOutcome::Done;
}

// The data regions one by one (SEEK_DATA, SEEK_HOLE), then the size, so that
// a hole at the end is kept too.
CopyOutcome DataCopy::copyRegions() {
    off_t offset = 0;
    while (offset < m_size) {
        off_t start = offset;
        off_t end = m_size;
        if (m_holesPossible) {
            start = lseek(m_in, offset, SEEK_DATA);
            if (start < 0 && errno == ENXIO)
                break; // only a hole is left
            end = start < 0 ? -1 : lseek(m_in, start, SEEK_HOLE);
            if (start < 0 || end < 0)
                return CopyOutcome::Failed;
            end = std::min(end, m_size);
            if (!m_holesShown && (start > offset || end < m_size))
                m_holesShown = m_offload = true;
        }
        const CopyOutcome outcome = copyRegion(start, end);
        if (outcome != CopyOutcome::Done)
            return outcome;
        offset = end;
    }
    if (m_holesPossible && ftruncate(m_out, m_size) != 0)
        return CopyOutcome::Failed;
    return offset < m_size && !tell(m_size) ? CopyOutcome::Cancelled : CopyOutcome::Done;
}

// A pseudo-file, which reports no size, is read until a read returns less
// than it asked for.
CopyOutcome DataCopy::readToEnd() {
    off_t offset = 0;
    for (;;) {
        const ssize_t moved = readAndWrite(offset, size_t(kChunkBytes));
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return CopyOutcome::Failed;
        offset += moved;
        if (moved < kChunkBytes)
            return CopyOutcome::Done;
        if (!tell(offset))
            return CopyOutcome::Cancelled;
    }
}

// A clone shares the blocks, holes included, and is done at once.
CopyOutcome DataCopy::clone() {
    if (ioctl(m_out, FICLONE, m_in) != 0)
        return CopyOutcome::Failed;
    return tell(m_size) ? CopyOutcome::Done : CopyOutcome::Cancelled;
}

} // namespace

CopyOutcome copyData(int in, int out, const struct stat& source, CopyProgress* progress) {
    DataCopy copy(in, out, source.st_size, mayHaveHoles(source), progress);
    if (source.st_size == 0)
        return copy.readToEnd();
    // Within btrfs or xfs the kernel's copy clones each chunk by itself; a
    // file of several chunks, or with holes, is cloned whole at once.
    const CopyOutcome cloned = source.st_size > kChunkBytes ? copy.clone() : CopyOutcome::Failed;
    return cloned != CopyOutcome::Failed ? cloned : copy.copyRegions();
}
