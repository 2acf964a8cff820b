#pragma once

#include "common/run_mode.h"
#include "runner/run_monitor.h"

#include <QString>

#include <atomic>

// A run monitor that also adds up the sizes of the files that the records
// process, each taken just before its record, so that a move within one file
// system, which copies no byte, counts as well. Delete runs count no bytes.
class RunTally : public RunMonitor {
  public:
    explicit RunTally(RunMode mode) : m_countsBytes(mode != RunMode::Delete) {}

    bool recordStarting(qint64 index, const QString& source) override;

    // The sizes of the records before the current one.
    qint64 bytesBeforeRecord() const { return m_bytesBefore; }
    // The sizes of every record started so far: the run's bytes once it has
    // finished.
    qint64 bytesOfStartedRecords() const { return m_bytesBefore + m_recordSize; }

  private:
    bool m_countsBytes;
    std::atomic<qint64> m_bytesBefore{0};
    std::atomic<qint64> m_recordSize{0};
};

// The sizes of every source of a job list added up, for a run's byte total;
// -1 when a list is too long to look at every source first (more than
// `recordLimit` records, or more than `millisecondLimit` spent), or cannot be
// read.
qint64 jobListByteTotal(const QString& jobList, qint64 recordLimit, qint64 millisecondLimit);
