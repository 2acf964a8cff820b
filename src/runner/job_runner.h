#pragma once

#include "common/result.h"
#include "common/run_mode.h"
#include "copier/file_operations.h"
#include "files/job_list.h"
#include "runner/run_log.h"
#include "runner/run_settings.h"
#include "runner/run_targets.h"

#include <QString>

#include <deque>
#include <optional>

enum class Answer;
class CopyProgress;
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
    // Someone to tell how each file's copy advances, who may cancel the run
    // there; none by default.
    void setCopyProgress(CopyProgress* progress) { m_copyProgress = progress; }

    // The run log to write what the run does to; none by default.
    void setLog(RunLog* log) { m_log = log ? log : &m_noLog; }

    // Returns true when the run finished, false after the failure exit or
    // when the progress asked to stop.
    bool run(RunMode mode, const QString& profileText, const RunSettings& settings,
             const QString& appFolder);

  private:
    Result runRecords(RunMode mode, const QString& jobList, const RunSettings& settings);
    Result runRecord(RunMode mode, const JobRecord& record, const RunSettings& settings);
    Result transferRecord(const JobRecord& record, RunMode mode);
    Result deleteRecord(const JobRecord& record, const RunSettings& settings);
    Result askAndDelete(const QString& source);
    Result deleteMatch(const QString& path, const QString& source);
    Result finish(RunMode mode, const RunSettings& settings);
    void moveCompleted(const QString& source, const QString& target, const QByteArray& hash);
    Result completeWaitingMoves(Result result);
    void showMessage(const QString& text);
    Answer askYesNo(const QString& text);

    Prompter& m_prompter;
    RunProgress* m_progress = nullptr;
    std::optional<WrittenTargets> m_writtenTargets; // of the run under way
    QString m_target;                               // of the record under way
    CopyProgress* m_copyProgress = nullptr;
    std::optional<FileOperations> m_files; // a fresh one for each run
    RunLog m_noLog;
    RunLog* m_log = &m_noLog;
    SwitchSetting m_trash = SwitchSetting::Off; // of the run under way
    qint64 m_recordsDone = 0;                   // in the current run
    qint64 m_stoppedAtLine = 0;                 // the job list line of the record that failed, or 0
    // The job list lines of the moves whose sources wait to be deleted, oldest first.
    std::deque<qint64> m_waitingMoveLines;
};
