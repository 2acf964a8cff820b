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

// A line is written straight into room made for it in the log's block, so
// that no piece of it checks or grows a buffer. textSize is the size of the
// line's texts (and hash or time), each unit of which takes at most
// kMostEscapedBytesPerUnit bytes; kFixedRoom is ample for its words and
// numbers.
class LineWriter {
  public:
    static constexpr qsizetype kFixedRoom = 256;

    LineWriter(RunLogFile& file, qsizetype textSize)
        : m_file(file), m_at(file.lineSpace(kFixedRoom + kMostEscapedBytesPerUnit * textSize)) {}
    ~LineWriter() { m_file.endLine(m_at); }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    LineWriter& bytes(QByteArrayView piece) {
        std::memcpy(m_at, piece.data(), size_t(piece.size()));
        m_at += piece.size();
        return *this;
    }
    LineWriter& escaped(QStringView text) {
        m_at = writeEscapedUtf8(m_at, text);
        return *this;
    }
    LineWriter& number(qint64 value) {
        m_at = std::to_chars(m_at, m_at + 20, value).ptr;
        return *this;
    }

  private:
    RunLogFile& m_file;
    char* m_at;
};

// "<line number> 行目 <outcome>", details to follow after ": ".
void beginRecordLine(LineWriter& line, qint64 lineNumber, QByteArrayView outcome) {
    line.number(lineNumber).bytes(" 行目 ").bytes(outcome);
}

// "<path>" or "<path>（<pattern> に一致）".
void writeMatch(LineWriter& line, const QString& path, const QString& pattern) {
    line.escaped(path);
    if (!pattern.isEmpty())
        line.bytes("（").escaped(pattern).bytes(" に一致）");
}

} // namespace

RunLog::RunLog() = default;

RunLog::RunLog(const QString& path, const Start& start) {
    m_file.open(path, kLimits);
    const QDateTime local = start.time.toOffsetFromUtc(start.time.offsetFromUtc());
    const QByteArray time = local.toString(Qt::ISODate).toLatin1();
    LineWriter line(m_file, time.size() + start.profileText.size() + start.launchArgument.size());
    line.bytes(kLimits.runStart).bytes(time).bytes(" ").bytes(modeName(start.mode));
    line.bytes(" プロファイル ").escaped(start.profileText);
    if (start.launchArgument.isEmpty())
        line.bytes(" ウィンドウから");
    else
        line.bytes(" 起動引数 ").escaped(start.launchArgument);
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
    LineWriter line(m_file, source.size() + target.size() + hash.size());
    beginRecordLine(line, lineNumber, modeName(mode));
    line.bytes(": ").escaped(source).bytes(" → ").escaped(target);
    if (!hash.isEmpty())
        line.bytes(" ").bytes(hash);
}

void RunLog::deleted(const QString& path, const QString& pattern) {
    LineWriter line(m_file, path.size() + pattern.size());
    beginRecordLine(line, m_lineNumber, "削除");
    writeMatch(line.bytes(": "), path, pattern);
}

void RunLog::trashed(const QString& path, const QString& pathInTrash, const QString& pattern) {
    LineWriter line(m_file, path.size() + pathInTrash.size() + pattern.size());
    beginRecordLine(line, m_lineNumber, "ごみ箱へ");
    writeMatch(line.bytes(": "), path, pattern);
    line.bytes(" → ").escaped(pathInTrash);
}

void RunLog::skipped(const QString& path) {
    LineWriter line(m_file, path.size());
    beginRecordLine(line, m_lineNumber, "スキップ（いいえ）");
    line.bytes(": ").escaped(path);
}

void RunLog::recordFailed(qint64 lineNumber, const Result& failure) {
    m_failedLine = lineNumber;
    LineWriter line(m_file, failure.error().size());
    if (failure.isCancelled()) {
        beginRecordLine(line, lineNumber, "キャンセル"); // a cancel has no details
    } else {
        beginRecordLine(line, lineNumber, "失敗");
        line.bytes(": ").escaped(failure.error());
    }
}

void RunLog::runEnded(const Result& result) {
    {
        LineWriter line(m_file, result.error().size());
        line.bytes("---- ");
        if (m_failedLine > 0 && !result.ok())
            line.number(m_failedLine).bytes(" 行目で");
        if (result.ok())
            line.bytes("終了: ").number(m_records).bytes(" 件");
        else if (result.isCancelled())
            line.bytes("キャンセル");
        else
            line.bytes("中止: ").escaped(result.error());
    }
    flush();
}
