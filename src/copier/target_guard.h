#pragma once

#include "common/result.h"

#include <QString>

#include <optional>
#include <sys/stat.h>

// A file as the kernel knows it, whatever path names it.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};

inline FileId idOf(const struct stat& info) {
    return {info.st_dev, info.st_ino};
}

// A file that a copy or move has given its target's name.
struct WrittenFile {
    FileId source;                  // as the copier read it (symbolic links followed)
    FileId target;                  // the file now under the target's name
    std::optional<FileId> replaced; // the file that had the name before, if any
};

// What decides, for the copies and moves of one run, which files may be
// touched. The copier asks only when it meets an existing file: most targets
// are new, and a new name is taken by calls that cannot replace anything.
class TargetGuard {
  public:
    virtual ~TargetGuard() = default;
    // Before a move takes a file from its place; `entry` is the source's own
    // entry (a symbolic link is not followed).
    virtual Result mayMove(const QString& source, const struct stat& entry) = 0;
    // Before an existing target is replaced; `entry` is the target's own entry.
    virtual Result mayReplace(const QString& target, const struct stat& entry,
                              const FileId& source) = 0;
    // After a file took its target's name.
    virtual void written(const QString& target, const WrittenFile& file) = 0;
};
