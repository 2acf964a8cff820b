#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

// A new file that replaces an entry of a folder whole: it is written as a
// hidden temporary file in the same folder, given its mode on its own
// descriptor, flushed, and renamed over the entry. Whatever bears the entry's
// name, a symbolic link included, is replaced, never followed or written
// through. Unlike writeFileAtomically, which follows a link on purpose, this
// is for files that must never reach another file through a link in their
// place. A replacement that is not committed removes its temporary file.
class ReplacementFile {
  public:
    explicit ReplacementFile(const QString& path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Appends bytes to the new file; a failure is reported by commit.
    void write(QByteArrayView bytes);

    // Sets the mode, flushes the file and renames it over the entry. A failure
    // names the entry, and the entry stays as it was.
    Result commit(mode_t mode);

  private:
    QString m_path;
    QByteArray m_temporary;
    int m_fd = -1;
    int m_error = 0; // the first failure's errno
};
