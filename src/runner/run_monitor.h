#pragma once

#include "copier/copy_progress.h"
#include "runner/run_progress.h"

#include <QMutex>
#include <QString>

#include <atomic>

// How far a run has come, written by the thread that carries the run out and
// read by the window several times a second; and the user's request to stop,
// which travels the other way. A cancelled run stops inside the current
// file's copy or before the next record.
class RunMonitor : public RunProgress, public CopyProgress {
  public:
    struct Snapshot {
        qint64 recordCount = 0;
        qint64 recordIndex = -1; // the record being carried out, from 0
        QString source;          // its source as the job list names it
        qint64 fileBytesCopied = 0;
        qint64 fileSize = 0;
        qint64 runBytesCopied = 0; // the whole run's, the current file's included
        bool ended = false;
    };

    Snapshot snapshot() const;

    // Asks the run to stop as soon as it safely can.
    void requestCancel() { m_cancelRequested = true; }
    bool cancelRequested() const { return m_cancelRequested; }

    void runStarting(qint64 recordCount) override;
    bool recordStarting(qint64 index, const QString& source) override;
    void runEnded() override;
    bool fileCopyAdvanced(qint64 copiedBytes, qint64 totalBytes) override;

  private:
    mutable QMutex m_mutex;
    Snapshot m_state;
    qint64 m_bytesBeforeFile = 0;
    std::atomic<bool> m_cancelRequested{false};
};
