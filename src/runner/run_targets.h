#pragma once

#include "common/result.h"
#include "copier/target_guard.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <memory_resource>

// What keeps a run from destroying files it must not: a read-only file is
// never deleted, moved or replaced, and a file that the run itself wrote is
// never replaced from another source (two records whose sources share a name).

// Fails, naming the file, when it is read-only: it has no write permission
// bit at all, whoever runs the program. A missing file passes; the operation
// that follows reports it.
Result refuseReadOnly(const QString& path);

inline size_t qHash(const FileId& id, size_t seed = 0) {
    return qHashMulti(seed, id.device, id.inode);
}

// The targets one run has written, each with the source it came from, known
// by device and inode so that two spellings of one file (a link, or a name in
// another letter case on a file system that ignores case) are one target, and
// by folder and case-folded name for file systems whose inode numbers do not
// tell one file (FUSE file systems that ignore case, such as exFAT). The same
// source listed twice is no clash.
class WrittenTargets : public TargetGuard {
  public:
    WrittenTargets() = default;
    // The name tables point into storage that this object owns.
    WrittenTargets(const WrittenTargets&) = delete;
    WrittenTargets& operator=(const WrittenTargets&) = delete;

    Result mayMove(const QString& source, const struct stat& entry) override;
    Result mayReplace(const QString& target, const struct stat& entry,
                      const FileId& source) override;
    void written(const QString& target, const WrittenFile& file) override;

  private:
    // A name this run wrote into a folder, as written, with its source.
    struct WrittenName {
        QStringView name;
        FileId source;
    };
    using NamesInFolder = QHash<QStringView, WrittenName>; // by case-folded name

    NamesInFolder& namesIn(QStringView folder);
    QStringView kept(QStringView text);
    bool isNameWrittenFromOtherSource(const QString& target, const FileId& source);

    // The text of the names and of the keys that differ from them, in a few
    // large blocks rather than one allocation per name; freed with the object.
    std::pmr::monotonic_buffer_resource m_names;
    QHash<FileId, FileId> m_sourceOf;
    QHash<QString, NamesInFolder> m_namesByFolder; // by folder, ending in "/"
    QString m_lastFolder;                          // the folder that m_lastNames belongs to
    NamesInFolder* m_lastNames = nullptr;
    QString m_folded; // the last name that folding changed
};
