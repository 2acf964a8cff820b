#pragma once

#include "common/result.h"
#include "copier/file_descriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Where a new file's data is written before it takes the target's name: an
// unnamed file (O_TMPFILE) in the target's folder where the file system has
// them, a named one beside the target otherwise. Named temporary files carry
// a prefix that makes one left by a killed process recognisable; one that
// never takes the target's name is removed when this object goes.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file in `folder` with the permission bits `mode` (less the
    // process's file mode mask). Returns false with errno set.
    bool create(const QString& folder, mode_t mode);

    int fd() const { return m_fd.get(); }

    // Gives the finished file the target's name, replacing an existing file
    // there unless it is `source` itself. `earlierTargetExisted` is the run's
    // memory of whether the last target already existed; it is read and
    // updated here.
    Result putInPlace(const QString& target, const struct stat& source, bool& earlierTargetExisted);

  private:
    bool linkUnderTemporaryName();

    QString m_folder;
    FileDescriptor m_fd;
    QByteArray m_name; // empty for an unnamed file
};
