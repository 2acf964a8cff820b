#pragma once

#include "copier/file_descriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Where a new file's data is written before it takes the target's name: an
// unnamed file (O_TMPFILE) in the target's folder where the file system has
// them, a named one beside the target otherwise, or when the target is known
// to exist (a rename replaces it atomically). Named temporary files carry a
// prefix that makes one left by a killed process recognisable; one that never
// takes the target's name is removed when this object goes.
class TemporaryFile {
  public:
    enum class Naming { UnnamedWherePossible, Named };

    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file in `folder` (the file system's bytes) with the
    // permission bits `mode` (less the process's file mode mask). Returns
    // false with errno set.
    bool create(const QByteArray& folder, mode_t mode, Naming naming);

    int fd() const { return m_fd.get(); }
    bool isNamed() const { return !m_name.isEmpty(); }

    // Gives the finished file the target's name unless a file has that name.
    // Returns false with errno set: EEXIST when a file has it; EINVAL or
    // EOPNOTSUPP when the file is named and its file system cannot rename
    // without replacing. The descriptor is closed on success.
    bool takeNewName(const QByteArray& target);

    // Gives the finished file the target's name, replacing a file there.
    // Returns false with errno set.
    bool replace(const QByteArray& target);

  private:
    bool linkUnderTemporaryName();
    bool closeBeforeRename();

    QByteArray m_folder;
    FileDescriptor m_fd;
    QByteArray m_name; // empty for an unnamed file
};
