#pragma once

#include <QString>

// Told about a run's advance, so that the window can show how far a long run
// has come, and asked before each record whether to go on.
class RunProgress {
  public:
    virtual ~RunProgress() = default;

    virtual void runStarting(qint64 recordCount) = 0;
    // Before the record with this index (from 0) is carried out; false stops
    // the run there, as the user asked.
    virtual bool recordStarting(qint64 index, const QString& source) = 0;
    virtual void runEnded() = 0;
};
