#pragma once

#include <QString>

// Told about a run's advance, so that the window can show how far a long run
// has come. The run itself stays synchronous.
class RunProgress {
  public:
    virtual ~RunProgress() = default;

    virtual void runStarting(qint64 recordCount) = 0;
    // Before the record with this index (from 0) is carried out.
    virtual void recordStarting(qint64 index, const QString& source) = 0;
    virtual void runEnded() = 0;
};
