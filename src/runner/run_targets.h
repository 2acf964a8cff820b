#pragma once

#include "common/result.h"

#include <QString>

#include <functional>
#include <map>
#include <sys/types.h>
#include <utility>

// What keeps a run from destroying files it must not: a read-only file is
// never deleted or replaced, and a file that the run itself wrote is never
// replaced from another source (two records whose sources share a name).

// Fails, naming the file, when it is read-only: it has no write permission
// bit at all, whoever runs the program. A missing file passes; the operation
// that follows reports it.
Result refuseReadOnly(const QString& path);

// The targets one run has written, each with the source it came from, known
// by device and inode so that two spellings of one file (a link, or a name in
// another letter case on a file system that ignores case) are one target.
class WrittenTargets {
  public:
    // Carries out a copy or move of source onto target, unless the target is
    // read-only or was written by this run from another file; afterwards the
    // target is noted as written. The same source listed twice is no clash.
    Result write(const QString& source, const QString& target,
                 const std::function<Result()>& operation);

  private:
    using FileId = std::pair<dev_t, ino_t>;
    // A name this run wrote into a folder, as written, with its source.
    struct WrittenName {
        QString name;
        FileId source;
    };

    bool isNameWrittenFromOtherSource(const QString& target, const FileId& sourceId) const;

    std::map<FileId, FileId> m_sourceOf;
    // By folder and case-folded name, for file systems whose inode numbers do
    // not tell one file (FUSE file systems that ignore case, such as exFAT).
    std::map<std::pair<QString, QString>, WrittenName> m_writtenNames;
};
