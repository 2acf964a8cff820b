#include "runner/job_runner.h"

#include "files/app_folder.h"
#include "files/job_list_reader.h"
#include "files/settings.h"
#include "common/error_text.h"
#include "platform/prompter.h"
#include "runner/file_operations.h"
#include "files/file_search.h"
#include "runner/run_progress.h"
#include "files/wildcard.h"

namespace {

const QString kDeleteCaption = QStringLiteral("削除");
const QString kDeleteQuestion = QStringLiteral("を削除します。");

Result previewNotANumber(const RunSettings& settings) {
    return Result::failure(errorSentence(ErrorKind::TypeMismatch) +
                           QStringLiteral("（[MSG] Preview の値「%1」は数値ではありません）: ")
                               .arg(settings.previewText) +
                           settingsFilePath());
}

// The name under which a copy lands: the source's own. A plain path is
// checked by the copy itself, which takes ordinary files only; a pattern is
// never copied, unless a file bears that very name.
Result destinationName(const QString& source, QString& name) {
    name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    if (!hasWildcards(name))
        return name.isEmpty() ? Result::failure(describeError(ErrorKind::FileNotFound, source))
                              : Result::success();
    if (isOrdinaryFile(source))
        return Result::success();
    return Result::failure(describeError(ErrorKind::BadFileName, source));
}

} // namespace

JobRunner::JobRunner(Prompter& prompter) : m_prompter(prompter) {}

bool JobRunner::run(RunMode mode, const QString& profileText, const RunSettings& settings,
                    const QString& appFolder) {
    const QString jobList = jobListPath(appFolder, profileText);
    m_recordsDone = 0;
    qint64 recordCount = 0;
    if (m_progress) {
        recordCount = JobListReader::countLines(jobList);
        m_progress->runStarting(recordCount);
    }
    Result result = runRecords(mode, jobList, settings);
    if (m_progress)
        m_progress->runEnded();
    if (result.isCancelled()) {
        m_prompter.showMessage(QStringLiteral("処理を中止しました。（%1 件中 %2 件を処理済み）")
                                   .arg(recordCount)
                                   .arg(m_recordsDone));
        return false;
    }
    if (result.ok())
        result = finish(mode, settings);
    if (!result.ok()) {
        m_prompter.showMessage(result.error());
        return false;
    }
    return true;
}

// A failed record's error says where in the job list the run stopped and how
// much it had done by then.
Result JobRunner::runRecords(RunMode mode, const QString& jobList, const RunSettings& settings) {
    JobListReader reader;
    Result result = reader.open(jobList);
    JobRecord record;
    JobListReader::Status status = JobListReader::Status::End;
    while (result.ok() && (status = reader.next(record)) == JobListReader::Status::Record) {
        if (m_progress && !m_progress->recordStarting(m_recordsDone, record.source))
            return Result::cancelled();
        record.destination = withTrailingSeparator(record.destination);
        switch (mode) {
        case RunMode::Copy:
            result = copyRecord(record);
            break;
        case RunMode::Delete:
            result = deleteRecord(record, settings);
            break;
        case RunMode::Move:
            result = moveRecord(record);
            break;
        }
        if (result.ok())
            ++m_recordsDone;
    }
    if (result.ok() && status == JobListReader::Status::Error)
        result = Result::failure(reader.error());
    if (result.ok() || result.isCancelled() || reader.lineNumber() == 0)
        return result;
    return Result::failure(result.error() +
                           QStringLiteral("\nジョブリストの %1 行目で停止しました（%2 件処理済み）。")
                               .arg(reader.lineNumber())
                               .arg(m_recordsDone));
}

Result JobRunner::copyRecord(const JobRecord& record) {
    QString name;
    const Result found = destinationName(record.source, name);
    return found.ok() ? copyFile(record.source, record.destination + name) : found;
}

Result JobRunner::moveRecord(const JobRecord& record) {
    QString name;
    const Result found = destinationName(record.source, name);
    return found.ok() ? moveFile(record.source, record.destination + name) : found;
}

Result JobRunner::deleteRecord(const JobRecord& record, const RunSettings& settings) {
    switch (previewMode(settings.previewText)) {
    case PreviewMode::NotANumber:
        return previewNotANumber(settings);
    case PreviewMode::On:
        return askAndDelete(record.source);
    case PreviewMode::Off:
        break;
    }
    if (!hasWildcards(record.source))
        return deleteFile(record.source);
    const QStringList matches = findOrdinaryFiles(record.source);
    if (matches.isEmpty())
        return Result::failure(describeError(ErrorKind::FileNotFound, record.source));
    for (const QString& match : matches) {
        const Result deleted = deleteFile(match);
        if (!deleted.ok())
            return deleted;
    }
    return Result::success();
}

// Each file that the source names is deleted only when the user says yes to
// a question naming that very file.
Result JobRunner::askAndDelete(const QString& source) {
    const QStringList matches = findOrdinaryFiles(source);
    if (matches.isEmpty()) {
        if (!m_prompter.askYesNo(kDeleteQuestion, kDeleteCaption))
            return Result::success();
        return hasWildcards(source)
                   ? Result::failure(describeError(ErrorKind::FileNotFound, source))
                   : deleteFile(source);
    }
    for (const QString& match : matches) {
        const QString name = match.mid(match.lastIndexOf(QLatin1Char('/')) + 1);
        if (!m_prompter.askYesNo(name + kDeleteQuestion, kDeleteCaption))
            continue;
        const Result deleted = deleteFile(match);
        if (!deleted.ok())
            return deleted;
    }
    return Result::success();
}

Result JobRunner::finish(RunMode mode, const RunSettings& settings) {
    switch (previewMode(settings.previewText)) {
    case PreviewMode::NotANumber:
        return previewNotANumber(settings);
    case PreviewMode::On:
        m_prompter.showMessage(settings.completionText(mode));
        break;
    case PreviewMode::Off:
        break;
    }
    return Result::success();
}
