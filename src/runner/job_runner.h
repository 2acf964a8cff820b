#pragma once

#include "files/job_list.h"
#include "common/result.h"
#include "common/run_mode.h"
#include "runner/run_settings.h"

#include <QString>

class Prompter;
class RunProgress;

// Carries out one job profile in one run mode: the profile's job list file is
// read record by record, in file order, and each source is copied into its
// record's destination folder, deleted, or moved there. The first error stops
// the run and is shown (the failure exit); what was done before it stays done.
class JobRunner {
  public:
    explicit JobRunner(Prompter& prompter);

    // Someone to tell how the run advances; none by default.
    void setProgress(RunProgress* progress) { m_progress = progress; }

    // Returns true when the run finished, false after the failure exit or
    // when the progress asked to stop.
    bool run(RunMode mode, const QString& profileText, const RunSettings& settings,
             const QString& appFolder);

  private:
    Result runRecords(RunMode mode, const QString& jobList, const RunSettings& settings);
    Result copyRecord(const JobRecord& record);
    Result moveRecord(const JobRecord& record);
    Result deleteRecord(const JobRecord& record, const RunSettings& settings);
    Result askAndDelete(const QString& source);
    Result finish(RunMode mode, const RunSettings& settings);

    Prompter& m_prompter;
    RunProgress* m_progress = nullptr;
    qint64 m_recordsDone = 0; // in the current run
};
