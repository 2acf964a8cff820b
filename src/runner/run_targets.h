#pragma once

#include "common/result.h"
#include "copier/target_guard.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <deque>
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
    // A file written before the first question, its folder and name kept.
    struct Unlisted {
        QStringView folder;
        QStringView name;
        FileId target;
        FileId source;
    };

    void list(QStringView folder, QStringView name, const FileId& target, const FileId& source);
    void listWritten();
    NamesInFolder& namesIn(QStringView folder);
    QStringView kept(QStringView text);
    bool isNameWrittenFromOtherSource(const QString& target, const FileId& source);

    // The text of the names, folders and keys that differ from their names, in
    // a few large blocks rather than one allocation each; freed with the object.
    std::pmr::monotonic_buffer_resource m_text;
    // Most runs never ask about an existing target (the targets are new): the
    // files written are only kept in order, and the tables below made from
    // them at the first question and kept up to date after it.
    std::deque<Unlisted> m_unlisted; // no spare room, unlike a vector grown by doubling
    QStringView m_unlistedFolder;    // the folder of the last one
    bool m_listing = false;          // whether the tables are kept up to date
    QHash<FileId, FileId> m_sourceOf;
    QHash<QString, NamesInFolder> m_namesByFolder; // by folder, ending in "/"
    QString m_lastFolder;                          // the folder that m_lastNames belongs to
    NamesInFolder* m_lastNames = nullptr;
    QString m_folded; // the last name that folding changed
};
