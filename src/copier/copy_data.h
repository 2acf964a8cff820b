#pragma once

#include <cstddef>
#include <sys/stat.h>

class CopyProgress;

enum class CopyOutcome {
    Done,
    Failed,    // errno is set
    Cancelled, // the progress hook asked to stop
    Short,     // the source ended before its size: it shrank while it was copied
};

// Copies the data of the open file `in`, described by `source` as it was
// opened, into the empty file `out`, telling `progress` (which may be null)
// as it goes. Within one file system that shares blocks the copy is a clone;
// otherwise the kernel's copy offload, and a read and write loop where the
// offload is refused or ends early. Only the source's data regions are
// copied: its holes stay holes. A file that reports no size (a pseudo-file)
// is read to its end.
CopyOutcome copyData(int in, int out, const struct stat& source, CopyProgress* progress);

// Writes all `size` bytes at `offset` of `out`, in as many calls as it takes. Returns false with
// errno set.
bool writeAll(int out, const char* data, std::size_t size, off_t offset);
