#pragma once

#include "common/result.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <sys/stat.h>
#include <utility>
#include <vector>

// Moves across file systems whose copies are complete and named while their
// sources are still there. Flushing each copy and its folder on its own costs
// two flushes per file; a batch makes up to a thousand copies durable with one
// flush of each file system (syncfs) and of each destination folder, and only
// then deletes their sources. A killed run leaves duplicates, never a loss.
class MoveBatch {
  public:
    // Told of each move whose source is gone, in the order the moves were added.
    using Completed = std::function<void(const QString& source, const QString& target)>;

    explicit MoveBatch(Completed completed = {});

    // Whether a copy onto the file system of the open file `fd` must be
    // flushed on its own before it is named: syncfs flushes nothing on most
    // FUSE file systems. Asked once per device.
    bool flushesEachCopy(int fd, dev_t device);

    // A copy named `target` whose source, as lstat described it before the
    // copy, now waits to be deleted.
    void add(const QString& source, const struct stat& sourceInfo, const QString& target);

    // Whether the batch must be finished before a move of this source (as
    // lstat describes it) to this target: it is full or a second old, or it
    // holds either path as a source or a target.
    bool mustFinishBefore(const QString& source, const struct stat& sourceInfo,
                          const QString& target) const;

    // Whether a move of this source waits in the batch.
    bool holdsSource(const QString& source) const { return m_sources.contains(source); }

    // Makes the waiting copies and their folder entries durable, then deletes
    // each source, in order, after checking that it is still the file that
    // was copied. The batch is empty afterwards. A failure stops there: the
    // moves after it stay undone, with their sources and their copies.
    Result finish();

  private:
    using FileId = std::pair<dev_t, ino_t>;
    struct Waiting {
        QString source;
        FileId sourceId;
        QString target;
    };

    Result makeDurable();
    Result deleteSource(const Waiting& move) const;
    void clear();

    Completed m_completed;
    std::vector<Waiting> m_moves;
    QSet<QString> m_sources;
    QSet<QString> m_targets;
    QSet<FileId> m_sourceIds;
    qint64 m_bytes = 0;
    std::chrono::steady_clock::time_point m_started;
    QHash<dev_t, bool> m_flushesEachCopy; // by device, once asked
};
