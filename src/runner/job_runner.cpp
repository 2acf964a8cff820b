#include "runner/job_runner.h"

#include "common/error_text.h"
#include "copier/file_operations.h"
#include "copier/trash.h"
#include "files/app_folder.h"
#include "files/file_search.h"
#include "files/job_list_reader.h"
#include "files/wildcard.h"
#include "platform/prompter.h"
#include "runner/run_checks.h"
#include "runner/run_progress.h"
#include "runner/run_targets.h"

#include <algorithm>

namespace {

const QString kDeleteCaption = QStringLiteral("削除");
const QString kDeleteQuestion = QStringLiteral("を削除します。");

// A question that got no answer stops the run: nothing may be decided, or
// reported as done, on the user's behalf.
Result noAnswer(const QString& path) {
    return Result::failure(describeError(ErrorKind::NoAnswer, path));
}

// The folder and the name, with a "/" between them where the folder lacks
// one, put into `path`, whose storage is kept from record to record.
const QString& joinedPath(QStringView folder, QStringView name, QString& path) {
    const bool separator = !folder.endsWith(QLatin1Char('/'));
    path.resize(folder.size() + (separator ? 1 : 0) + name.size());
    QChar* out = std::copy(folder.begin(), folder.end(), path.data());
    if (separator)
        *out++ = QLatin1Char('/');
    std::copy(name.begin(), name.end(), out);
    return path;
}

} // namespace

JobRunner::JobRunner(Prompter& prompter) : m_prompter(prompter) {}

bool JobRunner::run(RunMode mode, const QString& profileText, const RunSettings& settings,
                    const QString& appFolder) {
    const QString jobList = jobListPath(appFolder, profileText);
    m_files.reset();
    m_writtenTargets.emplace();
    m_files.emplace(*m_writtenTargets, m_copyProgress,
                    switchSetting(settings.verifyText) == SwitchSetting::On,
                    [this](const QString& source, const QString& target, const QByteArray& hash) {
                        moveCompleted(source, target, hash);
                    });
    m_trash = switchSetting(settings.trashText);
    m_recordsDone = 0;
    m_stoppedAtLine = 0;
    // The job list is counted once, for the progress, or for the message of
    // a cancelled run.
    std::optional<qint64> recordCount;
    if (m_progress) {
        recordCount = JobListReader::countLines(jobList);
        m_progress->runStarting(*recordCount);
    }
    Result result = checkVerifySetting(settings);
    if (result.ok())
        result = runRecords(mode, jobList, settings);
    if (m_progress)
        m_progress->runEnded();
    if (result.ok())
        result = finish(mode, settings);
    m_log->runEnded(result);
    if (result.isCancelled()) {
        showMessage(QStringLiteral("処理を中止しました。（%1 件中 %2 件を処理済み）")
                        .arg(recordCount ? *recordCount : JobListReader::countLines(jobList))
                        .arg(m_recordsDone));
        return false;
    }
    if (!result.ok()) {
        showMessage(stopMessage(result.error(), m_stoppedAtLine, m_recordsDone));
        return false;
    }
    return true;
}

Result JobRunner::runRecords(RunMode mode, const QString& jobList, const RunSettings& settings) {
    JobListReader reader;
    Result result = reader.open(jobList);
    std::optional<JobRecord> record;
    while (result.ok() && (record = reader.next())) {
        m_log->recordStarting(reader.lineNumber());
        const qint64 started = m_recordsDone + qint64(m_waitingMoveLines.size());
        if (m_progress && !m_progress->recordStarting(started, record->source))
            result = Result::cancelled();
        else
            result = runRecord(mode, *record, settings);
        if (!result.ok())
            m_stoppedAtLine = reader.lineNumber();
        else if (m_files->isMoveWaiting(record->source))
            m_waitingMoveLines.push_back(reader.lineNumber());
        else
            ++m_recordsDone;
    }
    if (result.ok() && reader.failed())
        result = Result::failure(reader.error());
    result = completeWaitingMoves(result);
    if (!result.ok() && m_stoppedAtLine == 0)
        m_stoppedAtLine = reader.lineNumber();
    return result;
}

// A move across file systems is done, and logged, once its source is gone.
void JobRunner::moveCompleted(const QString& source, const QString& target,
                              const QByteArray& hash) {
    m_log->movedEarlier(m_waitingMoveLines.front(), source, target, hash);
    m_waitingMoveLines.pop_front();
    ++m_recordsDone;
}

// The moves whose sources wait are completed before the run ends, also when it
// stops at an error or a cancel: what was done stays done, and the log and the
// count stay true. A move that cannot be completed stops the run on its own
// record's line; the moves after it keep their sources, beside their copies.
Result JobRunner::completeWaitingMoves(Result result) {
    const Result moved = m_files->finishMoves();
    if (!moved.ok())
        result = moved;
    if (!m_waitingMoveLines.empty()) {
        m_stoppedAtLine = m_waitingMoveLines.front();
        m_waitingMoveLines.clear();
    }
    if (!result.ok() && m_stoppedAtLine > 0)
        m_log->recordFailed(m_stoppedAtLine, result);
    return result;
}

Result JobRunner::runRecord(RunMode mode, const JobRecord& record, const RunSettings& settings) {
    switch (mode) {
    case RunMode::Copy:
    case RunMode::Move:
        return transferRecord(record, mode);
    case RunMode::Delete:
        break;
    }
    return deleteRecord(record, settings);
}

// Copies or moves the record's source into its destination folder.
Result JobRunner::transferRecord(const JobRecord& record, RunMode mode) {
    QStringView name;
    Result result = destinationName(record.source, name);
    const QString& target = joinedPath(record.destination, name, m_target);
    if (result.ok())
        result = mode == RunMode::Move ? m_files->moveFile(record.source, target)
                                       : m_files->copyFile(record.source, target);
    // A move that waits for its source to go is logged when it is gone.
    if (result.ok() && !m_files->isMoveWaiting(record.source))
        m_log->transferred(mode, record.source, target, m_files->checkedHash());
    return result;
}

Result JobRunner::deleteRecord(const JobRecord& record, const RunSettings& settings) {
    if (m_trash == SwitchSetting::Invalid)
        return notASwitch("Trash", settings.trashText);
    switch (previewMode(settings.previewText)) {
    case PreviewMode::NotANumber:
        return previewNotANumber(settings);
    case PreviewMode::On:
        return askAndDelete(record.source);
    case PreviewMode::Off:
        break;
    }
    if (!hasWildcards(record.source))
        return deleteMatch(record.source, record.source);
    const Produced<QStringList> matches = findOrdinaryFiles(record.source);
    if (!matches.status.ok())
        return matches.status;
    if (matches.value.isEmpty())
        return Result::failure(describeError(ErrorKind::FileNotFound, record.source));
    for (const QString& match : matches.value) {
        const Result deleted = deleteMatch(match, record.source);
        if (!deleted.ok())
            return deleted;
    }
    return Result::success();
}

// Each file that the source names is deleted only when the user says yes to
// a question naming that very file.
Result JobRunner::askAndDelete(const QString& source) {
    const Produced<QStringList> found = findOrdinaryFiles(source);
    if (!found.status.ok())
        return found.status;
    const QStringList& matches = found.value;
    if (matches.isEmpty()) {
        const Answer answer = askYesNo(kDeleteQuestion);
        if (answer == Answer::None)
            return noAnswer(source);
        if (answer == Answer::No) {
            m_log->skipped(source);
            return Result::success();
        }
        return hasWildcards(source)
                   ? Result::failure(describeError(ErrorKind::FileNotFound, source))
                   : deleteMatch(source, source);
    }
    for (const QString& match : matches) {
        const QString name = match.mid(match.lastIndexOf(QLatin1Char('/')) + 1);
        const Answer answer = askYesNo(name + kDeleteQuestion);
        if (answer == Answer::None)
            return noAnswer(match);
        if (answer == Answer::No) {
            m_log->skipped(match);
            continue;
        }
        const Result deleted = deleteMatch(match, source);
        if (!deleted.ok())
            return deleted;
    }
    return Result::success();
}

// One file that a record's source names, or the source itself, deleted for
// good or moved into the trash.
Result JobRunner::deleteMatch(const QString& path, const QString& source) {
    const QString pattern = path == source ? QString() : source;
    QString pathInTrash;
    Result deleted = refuseReadOnly(path);
    if (deleted.ok())
        deleted = m_trash == SwitchSetting::On ? moveToTrash(path, pathInTrash) : deleteFile(path);
    if (deleted.ok() && m_trash == SwitchSetting::On)
        m_log->trashed(path, pathInTrash, pattern);
    else if (deleted.ok())
        m_log->deleted(path, pattern);
    return deleted;
}

Result JobRunner::finish(RunMode mode, const RunSettings& settings) {
    switch (previewMode(settings.previewText)) {
    case PreviewMode::NotANumber:
        return previewNotANumber(settings);
    case PreviewMode::On:
        showMessage(settings.completionText(mode));
        break;
    case PreviewMode::Off:
        break;
    }
    return Result::success();
}

// What the log holds is written before the user sees anything, so that what
// the user reads there is already in the log.
void JobRunner::showMessage(const QString& text) {
    m_log->flush();
    m_prompter.showMessage(text);
}

Answer JobRunner::askYesNo(const QString& text) {
    m_log->flush();
    return m_prompter.askYesNo(text, kDeleteCaption);
}
