#pragma once

#include "common/result.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <utility>
#include <vector>

// Moves across file systems whose copies are complete and named while their
// sources are still there. Flushing each copy and its folder on its own costs
// two flushes per file; a batch makes up to a thousand copies durable with one
// flush of each file system (syncfs) and of each destination folder, and only
// then deletes their sources. A killed run leaves duplicates, never a loss.
//
// A full batch is flushed in the background while the next one is copied;
// its sources are deleted, in this thread, when the next batch is full or
// the moves are finished.
class MoveBatch {
  public:
    // Told of each move whose source is gone, in the order the moves were
    // added, with the hash of its copy when the copy was checked.
    using Completed =
        std::function<void(const QString& source, const QString& target, const QByteArray& hash)>;

    explicit MoveBatch(Completed completed = {});

    // Whether a copy onto the file system of the open file `fd` must be
    // flushed on its own before it is named: syncfs flushes nothing on most
    // FUSE file systems. Asked once per device.
    bool flushesEachCopy(int fd, dev_t device);

    // A copy named `target` whose source, as lstat described it before the
    // copy, now waits to be deleted; `hash` is the checked copy's, if any.
    void add(const QString& source, const struct stat& sourceInfo, const QString& target,
             const QByteArray& hash);

    // Whether a move of this source (as lstat describes it) to this target
    // touches a waiting move's source or target, so that the moves must be
    // finished first.
    bool touches(const QString& source, const struct stat& sourceInfo, const QString& target) const;

    // When the batch is full or a second old, completes the batch flushed in
    // the background before and starts flushing this one.
    Result flushWhenFull();

    // Whether a move of this source waits in the batch.
    bool holdsSource(const QString& source) const { return m_sources.contains(source); }

    // Makes the waiting copies and their folder entries durable, then deletes
    // each source, in order, after checking that it is still the file that
    // was copied. Nothing waits afterwards. A failure stops there: the moves
    // after it stay undone, with their sources and their copies.
    Result finish();

  private:
    using FileId = std::pair<dev_t, ino_t>;
    struct Waiting {
        QString source;
        FileId sourceId;
        QString target;
        QByteArray hash;
    };

    Result startFlush();
    Result completeFlush();
    Result deleteSource(const Waiting& move) const;
    Result abandonedAfter(const Result& failure);

    Completed m_completed;
    std::vector<Waiting> m_moves;    // copied, not yet being flushed
    std::vector<Waiting> m_flushing; // being flushed in the background
    std::future<Result> m_flushed;   // the outcome of that flush
    // The sources and targets of both.
    QSet<QString> m_sources;
    QSet<QString> m_targets;
    QSet<FileId> m_sourceIds;
    qint64 m_bytes = 0;
    std::chrono::steady_clock::time_point m_started;
    QHash<dev_t, bool> m_flushesEachCopy; // by device, once asked
};
