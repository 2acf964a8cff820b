#pragma once

#include <sys/types.h>

class CopyProgress;

enum class CopyOutcome { Done, Failed, Cancelled };

// Copies the data of the open file `in` (of `size` bytes when it was opened)
// into the empty file `out`, telling `progress` (which may be null) as it goes.
// Failed leaves errno set.
CopyOutcome copyData(int in, int out, off_t size, CopyProgress* progress);
