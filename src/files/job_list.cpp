#include "files/job_list.h"

#include "common/error_text.h"
#include "files/app_folder.h"
#include "files/atomic_write.h"
#include "files/text_codec.h"

#include <algorithm>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Reads the field that starts at pos; on success pos stands on the comma that
// ends it or at the end of the line.
std::optional<QString> readField(const QString& line, qsizetype& pos) {
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (pos < line.size() && line[pos] == QLatin1Char('"')) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), pos + 1);
        if (close < 0)
            return std::nullopt;
        QString field = line.mid(pos + 1, close - pos - 1);
        pos = close + 1;
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos < line.size() && line[pos] != QLatin1Char(','))
            return std::nullopt;
        return field;
    }
    qsizetype end = line.indexOf(QLatin1Char(','), pos);
    if (end < 0)
        end = line.size();
    qsizetype last = end;
    while (last > pos && isBlank(line[last - 1]))
        --last;
    QString field = line.mid(pos, last - pos);
    pos = end;
    return field;
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
    qsizetype pos = 0;
    const std::optional<QString> destination = readField(line, pos);
    if (!destination || pos >= line.size())
        return std::nullopt;
    ++pos; // the comma
    const std::optional<QString> source = readField(line, pos);
    if (!source || pos != line.size())
        return std::nullopt;
    return JobRecord{*destination, *source};
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
    return std::all_of(line.begin(), line.end(), isBlank);
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
