#include "runner/dry_run.h"

#include "common/error_text.h"
#include "common/escaped_text.h"
#include "common/path_text.h"
#include "copier/file_paths.h"
#include "files/file_search.h"
#include "files/job_list_reader.h"
#include "files/wildcard.h"
#include "runner/run_checks.h"
#include "runner/run_targets.h"

#include <QFile>

#include <cerrno>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<struct stat> statOf(const QString& path, bool followLink = true) {
    struct stat info;
    const QByteArray name = QFile::encodeName(path);
    if ((followLink ? stat(name.constData(), &info) : lstat(name.constData(), &info)) != 0)
        return std::nullopt;
    return info;
}

// Whether entries can be made and removed in a folder.
bool folderWritable(const QString& folder) {
    return access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

using FileId = std::pair<dev_t, ino_t>;

// One pass over a job list, keeping what the run would have written so far.
class Planner {
  public:
    Planner(RunMode mode, const RunSettings& settings,
            const std::function<void(const QString&)>& printLine)
        : m_mode(mode), m_settings(settings), m_printLine(printLine) {}

    Result plan(const JobRecord& record, qint64 lineNumber) {
        m_lineNumber = lineNumber;
        return m_mode == RunMode::Delete ? planDelete(record.source) : planTransfer(record);
    }

  private:
    Result planTransfer(const JobRecord& record);
    Result checkSource(const QString& source, const struct stat& sourceInfo,
                       const QString& targetFolder) const;
    Result checkTarget(const QString& target, const FileId* sourceId, bool& replaces) const;
    Result planDelete(const QString& source);
    Result checkDeletion(const QString& path) const;
    void print(const QString& action, const QString& details) const {
        m_printLine(escapedText(
            QStringLiteral("%1 行目 %2: %3").arg(QString::number(m_lineNumber), action, details)));
    }

    RunMode m_mode;
    const RunSettings& m_settings;
    const std::function<void(const QString&)>& m_printLine;
    qint64 m_lineNumber = 0;
    std::map<QString, FileId> m_written; // target path -> the source it came from
};

Result Planner::planTransfer(const JobRecord& record) {
    QStringView name;
    Result result = destinationName(record.source, name);
    if (result.ok() && m_mode == RunMode::Move)
        result = refuseReadOnly(record.source);
    if (!result.ok())
        return result;
    const QString target = withTrailingSeparator(record.destination).append(name);
    const std::optional<struct stat> sourceInfo = statOf(record.source);
    const int sourceError = errno;
    bool replaces = false;
    const FileId sourceId = sourceInfo ? FileId{sourceInfo->st_dev, sourceInfo->st_ino} : FileId();
    result = checkTarget(target, sourceInfo ? &sourceId : nullptr, replaces);
    if (result.ok() && !sourceInfo)
        result = Result::failure(describeErrno(sourceError, record.source));
    if (result.ok())
        result = checkSource(record.source, *sourceInfo, folderOf(target));
    if (!result.ok())
        return result;
    m_written[target] = sourceId;
    const bool move = m_mode == RunMode::Move;
    print(replaces ? (move ? QStringLiteral("上書き移動") : QStringLiteral("上書きコピー"))
                   : (move ? QStringLiteral("移動") : QStringLiteral("コピー")),
          record.source + QStringLiteral(" → ") + target);
    return Result::success();
}

// A target that is read-only, the source itself, or written by this run from
// another source stops the run, as the copy would. Without a source to compare,
// only a read-only target counts.
Result Planner::checkTarget(const QString& target, const FileId* sourceId, bool& replaces) const {
    const std::optional<struct stat> existing = statOf(target, false);
    const auto written = m_written.find(target);
    replaces = existing || written != m_written.end();
    if (existing && S_ISREG(existing->st_mode) && (existing->st_mode & 0222) == 0)
        return Result::failure(describeError(ErrorKind::ReadOnlyFile, target));
    if (!sourceId)
        return Result::success();
    if (written != m_written.end() && written->second != *sourceId)
        return Result::failure(describeError(ErrorKind::WrittenByThisRun, target));
    const std::optional<struct stat> pointed = existing ? statOf(target) : std::nullopt;
    if (pointed && FileId{pointed->st_dev, pointed->st_ino} == *sourceId)
        return Result::failure(describeError(ErrorKind::SameFile, target));
    return Result::success();
}

// The source must be an ordinary file the copy can read, and the target's
// folder one that exists and takes new entries.
Result Planner::checkSource(const QString& source, const struct stat& sourceInfo,
                            const QString& targetFolder) const {
    if (S_ISDIR(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::IsAFolder, source));
    if (!S_ISREG(sourceInfo.st_mode))
        return Result::failure(describeError(ErrorKind::FileNotFound, source));
    const std::optional<struct stat> folderInfo = statOf(targetFolder);
    if (!folderInfo || !S_ISDIR(folderInfo->st_mode))
        return Result::failure(describeError(ErrorKind::PathNotFound, targetFolder));
    // A move within one file system renames; anything else reads the source.
    const bool reads = m_mode == RunMode::Copy || folderInfo->st_dev != sourceInfo.st_dev;
    if (reads && access(QFile::encodeName(source).constData(), R_OK) != 0)
        return Result::failure(describeErrno(errno, source));
    if (!folderWritable(targetFolder))
        return Result::failure(describeErrno(errno, targetFolder));
    if (!reads && !folderWritable(folderOf(source)))
        return Result::failure(describeError(ErrorKind::AccessDenied, folderOf(source)));
    return Result::success();
}

Result Planner::planDelete(const QString& source) {
    if (switchSetting(m_settings.trashText) == SwitchSetting::Invalid)
        return notASwitch("Trash", m_settings.trashText);
    const PreviewMode preview = previewMode(m_settings.previewText);
    if (preview == PreviewMode::NotANumber)
        return previewNotANumber(m_settings);
    const bool wildcards = hasWildcards(source);
    const Produced<QStringList> found =
        wildcards ? findOrdinaryFiles(source) : Produced<QStringList>{Result::success(), {source}};
    if (!found.status.ok())
        return found.status;
    const QStringList& matches = found.value;
    if (matches.isEmpty())
        return Result::failure(describeError(ErrorKind::FileNotFound, source));
    QString action = switchSetting(m_settings.trashText) == SwitchSetting::On
                         ? QStringLiteral("ごみ箱へ")
                         : QStringLiteral("削除");
    if (preview == PreviewMode::On)
        action += QStringLiteral("（確認あり）");
    for (const QString& match : matches) {
        const Result checked = checkDeletion(match);
        if (!checked.ok())
            return checked;
        print(action,
              match == source ? match : match + QStringLiteral("（%1 に一致）").arg(source));
    }
    return Result::success();
}

// What the delete itself would refuse: a missing or read-only file, a
// folder, a folder that takes no changes.
Result Planner::checkDeletion(const QString& path) const {
    const Result readOnly = refuseReadOnly(path);
    if (!readOnly.ok())
        return readOnly;
    const std::optional<struct stat> info = statOf(path, false);
    if (!info)
        return Result::failure(describeErrno(errno, path));
    if (S_ISDIR(info->st_mode))
        return Result::failure(describeErrno(EISDIR, path));
    if (!folderWritable(folderOf(path)))
        return Result::failure(describeErrno(errno, path));
    return Result::success();
}

} // namespace

Result dryRun(RunMode mode, const QString& jobList, const RunSettings& settings,
              const std::function<void(const QString&)>& printLine) {
    const Result verify = checkVerifySetting(settings);
    if (!verify.ok())
        return verify;
    Planner planner(mode, settings, printLine);
    JobListReader reader;
    Result result = reader.open(jobList);
    std::optional<JobRecord> record;
    qint64 recordsDone = 0;
    while (result.ok() && (record = reader.next())) {
        result = planner.plan(*record, reader.lineNumber());
        if (result.ok())
            ++recordsDone;
    }
    if (result.ok() && reader.failed())
        result = Result::failure(reader.error());
    if (!result.ok())
        return Result::failure(stopMessage(result.error(), reader.lineNumber(), recordsDone));
    if (previewMode(settings.previewText) == PreviewMode::NotANumber)
        return previewNotANumber(settings);
    return Result::success();
}
