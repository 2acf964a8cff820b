#include "runner/run_log.h"

#include "common/escaped_text.h"

#include <charconv>
#include <cstring>

namespace {

// Every run begins with a header line starting so; closing lines start
// with "---- ", record lines with their line number. A log over 1 MiB is cut
// to half of that at the next start, so that trims are rare.
const RunLogLimits kLimits = {QByteArrayLiteral("==== "), 1024 * 1024, 512 * 1024};

QByteArrayView modeName(RunMode mode) {
    switch (mode) {
    case RunMode::Copy:
        return "コピー";
    case RunMode::Delete:
        return "削除";
    case RunMode::Move:
        return "移動";
    }
    return {};
}

// A line is built of many short pieces; QByteArray's own append takes the
// longer way of a general insert.
void append(QByteArray& line, QByteArrayView piece) {
    const qsizetype at = line.size();
    line.resize(at + piece.size());
    std::memcpy(line.data() + at, piece.data(), size_t(piece.size()));
}

void appendNumber(QByteArray& line, qint64 number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    line.append(digits, end - digits);
}

} // namespace

RunLog::RunLog() : m_line(m_file.lineBuffer()) {}

RunLog::RunLog(const QString& path, const Start& start) : m_line(m_file.lineBuffer()) {
    m_file.open(path, kLimits);
    const QDateTime local = start.time.toOffsetFromUtc(start.time.offsetFromUtc());
    append(m_line, kLimits.runStart + local.toString(Qt::ISODate).toUtf8() + ' ');
    append(m_line, modeName(start.mode));
    append(m_line, " プロファイル ");
    appendEscapedUtf8(m_line, start.profileText);
    if (start.launchArgument.isEmpty()) {
        append(m_line, " ウィンドウから");
    } else {
        append(m_line, " 起動引数 ");
        appendEscapedUtf8(m_line, start.launchArgument);
    }
    writeLine();
}

void RunLog::recordStarting(qint64 lineNumber) {
    m_lineNumber = lineNumber;
    ++m_records;
}

void RunLog::transferred(RunMode mode, const QString& source, const QString& target,
                         const QByteArray& hash) {
    transferLine(m_lineNumber, mode, source, target, hash);
}

void RunLog::movedEarlier(qint64 lineNumber, const QString& source, const QString& target,
                          const QByteArray& hash) {
    transferLine(lineNumber, RunMode::Move, source, target, hash);
}

void RunLog::transferLine(qint64 lineNumber, RunMode mode, const QString& source,
                          const QString& target, const QByteArray& hash) {
    beginRecordLine(modeName(mode), lineNumber);
    appendEscapedUtf8(m_line, source);
    append(m_line, " → ");
    appendEscapedUtf8(m_line, target);
    if (!hash.isEmpty()) {
        m_line += ' ';
        append(m_line, hash);
    }
    writeLine();
}

void RunLog::deleted(const QString& path, const QString& pattern) {
    beginRecordLine("削除", m_lineNumber);
    appendMatch(path, pattern);
    writeLine();
}

void RunLog::trashed(const QString& path, const QString& pathInTrash, const QString& pattern) {
    beginRecordLine("ごみ箱へ", m_lineNumber);
    appendMatch(path, pattern);
    append(m_line, " → ");
    appendEscapedUtf8(m_line, pathInTrash);
    writeLine();
}

void RunLog::skipped(const QString& path) {
    beginRecordLine("スキップ（いいえ）", m_lineNumber);
    appendEscapedUtf8(m_line, path);
    writeLine();
}

void RunLog::recordFailed(qint64 lineNumber, const Result& failure) {
    m_failedLine = lineNumber;
    if (failure.isCancelled()) {
        beginRecordLine("キャンセル", lineNumber);
        m_line.chop(2); // a cancel has no details after ": "
    } else {
        beginRecordLine("失敗", lineNumber);
        appendEscapedUtf8(m_line, failure.error());
    }
    writeLine();
}

void RunLog::runEnded(const Result& result) {
    append(m_line, "---- ");
    if (m_failedLine > 0 && !result.ok()) {
        appendNumber(m_line, m_failedLine);
        append(m_line, " 行目で");
    }
    if (result.ok()) {
        append(m_line, "終了: ");
        appendNumber(m_line, m_records);
        append(m_line, " 件");
    } else if (result.isCancelled()) {
        append(m_line, "キャンセル");
    } else {
        append(m_line, "中止: ");
        appendEscapedUtf8(m_line, result.error());
    }
    writeLine();
    flush();
}

// "<line number> 行目 <outcome>: ", the details to follow.
void RunLog::beginRecordLine(QByteArrayView outcome, qint64 lineNumber) {
    appendNumber(m_line, lineNumber);
    append(m_line, " 行目 ");
    append(m_line, outcome);
    append(m_line, ": ");
}

// "<path>" or "<path>（<pattern> に一致）".
void RunLog::appendMatch(const QString& path, const QString& pattern) {
    appendEscapedUtf8(m_line, path);
    if (pattern.isEmpty())
        return;
    append(m_line, "（");
    appendEscapedUtf8(m_line, pattern);
    append(m_line, " に一致）");
}

void RunLog::writeLine() {
    m_file.endLine();
}
