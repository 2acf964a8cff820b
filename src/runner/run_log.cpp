#include "runner/run_log.h"

#include "common/escaped_text.h"

namespace {

constexpr qint64 kLogSizeLimit = 1024 * 1024;

// Every run begins with a header line starting so; closing lines start
// with "---- ", record lines with their line number.
const QByteArray kRunStart = QByteArrayLiteral("==== ");

QString modeName(RunMode mode) {
    switch (mode) {
    case RunMode::Copy:
        return QStringLiteral("コピー");
    case RunMode::Delete:
        return QStringLiteral("削除");
    case RunMode::Move:
        return QStringLiteral("移動");
    }
    return QString();
}

QString arrow(const QString& from, const QString& to) {
    return from + QStringLiteral(" → ") + to;
}

QString matchedBy(const QString& path, const QString& pattern) {
    return pattern.isEmpty() ? path : path + QStringLiteral("（%1 に一致）").arg(pattern);
}

} // namespace

RunLog::RunLog(const QString& path, const Start& start) {
    dropOldestRuns(path, kRunStart, kLogSizeLimit);
    m_file.open(path);
    const QDateTime local = start.time.toOffsetFromUtc(start.time.offsetFromUtc());
    const QString origin = start.launchArgument.isEmpty()
                               ? QStringLiteral("ウィンドウから")
                               : QStringLiteral("起動引数 ") + start.launchArgument;
    m_file.appendLine(escapedText(
        QString::fromLatin1(kRunStart) +
        QStringLiteral("%1 %2 プロファイル %3 %4")
            .arg(local.toString(Qt::ISODate), modeName(start.mode), start.profileText, origin)));
}

void RunLog::recordStarting(qint64 lineNumber) {
    m_lineNumber = lineNumber;
    ++m_records;
}

void RunLog::transferred(RunMode mode, const QString& source, const QString& target) {
    recordLine(modeName(mode), arrow(source, target));
}

void RunLog::movedEarlier(qint64 lineNumber, const QString& source, const QString& target) {
    lineAbout(lineNumber, modeName(RunMode::Move), arrow(source, target));
}

void RunLog::deleted(const QString& path, const QString& pattern) {
    recordLine(QStringLiteral("削除"), matchedBy(path, pattern));
}

void RunLog::trashed(const QString& path, const QString& pathInTrash, const QString& pattern) {
    recordLine(QStringLiteral("ごみ箱へ"), arrow(matchedBy(path, pattern), pathInTrash));
}

void RunLog::skipped(const QString& path) {
    recordLine(QStringLiteral("スキップ（いいえ）"), path);
}

void RunLog::recordFailed(qint64 lineNumber, const Result& failure) {
    m_failedLine = lineNumber;
    if (failure.isCancelled())
        lineAbout(lineNumber, QStringLiteral("キャンセル"), QString());
    else
        lineAbout(lineNumber, QStringLiteral("失敗"), failure.error());
}

void RunLog::runEnded(const Result& result) {
    const QString where =
        m_failedLine > 0 ? QStringLiteral("%1 行目で").arg(m_failedLine) : QString();
    if (result.ok())
        closingLine(QStringLiteral("終了: %1 件").arg(m_records));
    else if (result.isCancelled())
        closingLine(where + QStringLiteral("キャンセル"));
    else
        closingLine(where + QStringLiteral("中止: ") + result.error());
}

void RunLog::lineAbout(qint64 lineNumber, const QString& outcome, const QString& details) {
    const QString line = QStringLiteral("%1 行目 %2").arg(QString::number(lineNumber), outcome);
    m_file.appendLine(
        escapedText(details.isEmpty() ? line : line + QStringLiteral(": ") + details));
}

void RunLog::closingLine(const QString& text) {
    m_file.appendLine(escapedText(QStringLiteral("---- ") + text));
}
