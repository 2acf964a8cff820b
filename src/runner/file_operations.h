#pragma once

#include "common/result.h"

#include <QString>

#include <sys/types.h>

class CopyProgress;

// The copies and moves of one run. Failures name the path concerned. One
// object serves one run: what it learns on the way (whether the last target
// existed, the process's file mode mask) must not carry over into another.
class FileOperations {
  public:
    // `progress`, which may be null, hears how each file's copy advances and
    // may cancel it (see CopyProgress).
    explicit FileOperations(CopyProgress* progress = nullptr);

    // Copies one file to a target path, replacing an existing file there.
    // The copy keeps the source's modification time and permission bits. The
    // data goes to a temporary file in the target's folder that takes the
    // target's name only when complete, so a failure or a killed process
    // never leaves a partly written file under that name, and an old file
    // stays as it was. A target that is the source itself, by any path, is
    // refused.
    Result copyFile(const QString& source, const QString& target);

    // Moves one file to a target path, replacing an existing file there.
    // Within one file system the file is renamed; otherwise it is copied, the
    // copy is flushed to disk, and only then the source is deleted.
    Result moveFile(const QString& source, const QString& target);

  private:
    enum class Flush { No, Yes };
    Result copyFile(const QString& source, const QString& target, Flush flush);

    CopyProgress* m_progress;
    // The permission bits that the file mode mask takes away from new files;
    // fchmod is needed only for those.
    mode_t m_fileModeMask;
    bool m_lastTargetExisted = false;
};

// Deletes one file (not a folder).
Result deleteFile(const QString& path);
