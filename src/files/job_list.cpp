#include "files/job_list.h"

#include "common/error_text.h"
#include "files/app_folder.h"
#include "files/atomic_write.h"
#include "files/text_codec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

qsizetype indexOf(QStringView line, char16_t unit, qsizetype from) {
    return line.indexOf(QChar(unit), from);
}

// Straight to the C library: Qt's search in bytes costs more than the search.
qsizetype indexOf(QByteArrayView line, char byte, qsizetype from) {
    const char* const begin = line.data();
    const void* const found = std::memchr(begin + from, byte, size_t(line.size() - from));
    return found ? static_cast<const char*>(found) - begin : -1;
}

// A field within its line, as a view of the line's text or of its UTF-8 bytes.
template <typename View> using FieldPair = std::array<View, 2>;

// Reads the field that starts at pos; on success pos stands on the comma that
// ends it or at the end of the line.
template <typename View> std::optional<View> readField(View line, qsizetype& pos) {
    using Unit = typename View::storage_type;
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (pos < line.size() && line[pos] == Unit('"')) {
        const qsizetype close = indexOf(line, Unit('"'), pos + 1);
        if (close < 0)
            return std::nullopt;
        const View field = line.sliced(pos + 1, close - pos - 1);
        pos = close + 1;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos < line.size() && line[pos] != Unit(','))
            return std::nullopt;
        return field;
    }
    qsizetype end = indexOf(line, Unit(','), pos);
    if (end < 0)
        end = line.size();
    qsizetype last = end;
    while (last > pos && isBlank(line[last - 1]))
        --last;
    const View field = line.sliced(pos, last - pos);
    pos = end;
    return field;
}

// The destination and the source field of a line; in UTF-8 bytes they stand
// where they stand in the decoded text, as commas, quotes and blanks are
// single bytes that never occur within another character.
template <typename View> std::optional<FieldPair<View>> readFields(View line) {
    FieldPair<View> fields;
    qsizetype pos = 0;
    // One place that reads a field, so that the compiler builds it in here.
    for (qsizetype i = 0; i < 2; ++i) {
        if (i > 0 && pos++ == line.size()) // the comma
            return std::nullopt;
        const std::optional<View> field = readField(line, pos);
        if (!field)
            return std::nullopt;
        fields[i] = *field;
    }
    if (pos != line.size())
        return std::nullopt;
    return fields;
}

// A leading U+FEFF is quoted too: at the start of a file, the reader would take
// it for a byte-order mark and drop it from the destination folder.
bool needsQuotes(const QString& field) {
    return field.contains(QLatin1Char(',')) || field.startsWith(QChar(0xFEFF)) ||
           (!field.isEmpty() && (isBlank(field.front()) || isBlank(field.back())));
}

QString quotedIfNeeded(const QString& field) {
    return needsQuotes(field) ? QLatin1Char('"') + field + QLatin1Char('"') : field;
}

bool holdable(const QString& field) {
    return !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\n')) &&
           !field.contains(QLatin1Char('\r'));
}

bool isAbsolute(const QString& path) {
    return path.startsWith(QLatin1Char('/'));
}

// Characters that name no file: NUL, and a lone surrogate (from a broken
// UTF-16 file). Every record's paths are looked at: a pass without branches,
// which the compiler turns into vector code, clears nearly all of them.
struct UnusableCharacters {
    bool nul = false;
    bool loneSurrogate = false;
};

// The smallest unit, and the smallest distance of a unit's top five bits
// from a surrogate's, are 0 only for a NUL or a surrogate.
bool mayHoldUnusable(QStringView text) {
    char16_t lowest = 0xffff;
    char16_t fromSurrogate = 0xffff;
    const char16_t* const units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        lowest = std::min(lowest, units[i]);
        fromSurrogate = std::min(fromSurrogate, char16_t((units[i] & 0xf800) ^ 0xd800));
    }
    return lowest == 0 || fromSurrogate == 0;
}

UnusableCharacters unusableCharactersIn(QStringView text) {
    if (!mayHoldUnusable(text))
        return {};
    return {text.contains(QChar(0)), !text.isValidUtf16()};
}

} // namespace

QString jobListPath(const QString& appFolder, const QString& profileText) {
    return appFolder + profileText + QStringLiteral("copylist.txt");
}

std::optional<JobRecord> parseJobRecord(const QString& line) {
    const std::optional<FieldPair<QStringView>> fields = readFields(QStringView(line));
    if (!fields)
        return std::nullopt;
    return JobRecord{(*fields)[0].toString(), (*fields)[1].toString()};
}

// Such a line decodes with no byte-order mark to drop: it begins with a blank,
// a quote or "/". So do both fields, which QString::fromUtf8 decodes alone
// without dropping anything. Without a NUL byte, valid UTF-8 holds no NUL and
// no lone surrogate, and an invalid sequence only gives U+FFFD.
std::optional<std::array<QByteArrayView, 2>> goodRecordFieldsInUtf8(QByteArrayView line) {
    const std::optional<FieldPair<QByteArrayView>> fields = readFields(line);
    if (!fields || !(*fields)[0].startsWith('/') || !(*fields)[1].startsWith('/') ||
        indexOf(line, '\0', 0) >= 0)
        return std::nullopt;
    return fields;
}

std::optional<QString> recordProblem(const JobRecord& record) {
    const UnusableCharacters destination = unusableCharactersIn(record.destination);
    const UnusableCharacters source = unusableCharactersIn(record.source);
    if (destination.nul || source.nul)
        return QStringLiteral("NUL 文字を含んでいます");
    if (destination.loneSurrogate || source.loneSurrogate)
        return QStringLiteral("読み取れない文字を含んでいます");
    if (record.destination.isEmpty())
        return QStringLiteral("コピー先のフォルダーが空です");
    if (!isAbsolute(record.destination))
        return QStringLiteral("コピー先のフォルダーが絶対パスではありません");
    if (!isAbsolute(record.source))
        return QStringLiteral("ファイルのパスが絶対パスではありません");
    return std::nullopt;
}

bool isBlankLine(QStringView line) {
    return std::all_of(line.begin(), line.end(), [](QChar c) { return isBlank(c); });
}

Produced<QString> formatJobRecord(const JobRecord& record) {
    for (const QString& field : {record.destination, record.source}) {
        if (!holdable(field))
            return {Result::failure(
                QStringLiteral(
                    "ダブルクォーテーションや改行を含むパスはジョブリストに保存できません: ") +
                field)};
    }
    if (const std::optional<QString> problem = recordProblem(record)) {
        const bool destinationAtFault =
            recordProblem({record.destination, QStringLiteral("/")}).has_value();
        const QString& entry = destinationAtFault ? record.destination : record.source;
        return {
            Result::failure(*problem + QStringLiteral("。ジョブリストに保存できません: ") + entry)};
    }
    return {Result::success(),
            quotedIfNeeded(record.destination) + QLatin1Char(',') + quotedIfNeeded(record.source)};
}

Result writeJobList(const QString& path, const QString& destinationFolder,
                    const QStringList& sources) {
    const QString destination = withTrailingSeparator(destinationFolder);
    QByteArray content;
    for (const QString& source : sources) {
        const Produced<QString> line = formatJobRecord({destination, source});
        if (!line.status.ok())
            return line.status;
        content += encodeText(line.value);
        content += "\r\n";
    }
    return writeFileAtomically(path, content);
}
