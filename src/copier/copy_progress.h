#pragma once

#include <QtGlobal>

// Told how far the copy of one file has come, and asked whether to go on: the
// hook behind a progress bar and a cancel button during a long copy.
//
// The copier calls fileCopyAdvanced() from the thread that runs the copy,
// between chunks of at most a few MiB (often enough for several updates a
// second on a USB stick, seldom enough not to slow a copy down), with the
// bytes of the file written so far and its size when it was opened (0 for
// files that report no size). The last call of a finished file has
// copiedBytes == totalBytes. A file's holes are counted as copied when they
// are passed over.
//
// Returning false cancels the copy of the current file: its temporary copy is
// discarded, an existing target keeps its old content, the source is not
// touched (a move does not delete it), and the operation returns
// Result::cancelled(), which is not an error to show. The files before it in
// the run stay done.
class CopyProgress {
  public:
    virtual ~CopyProgress() = default;

    virtual bool fileCopyAdvanced(qint64 copiedBytes, qint64 totalBytes) = 0;
};
