#include "files/ini_file.h"

#include "files/atomic_write.h"
#include "files/text_codec.h"
#include "common/error_text.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <optional>

namespace {

// One line of a text with the line break that ends it ("\r\n", "\n", or
// nothing for a last line without one), so that the text can be rebuilt exactly.
struct Line {
    QString content;
    QString ending;
};

QList<Line> splitLines(const QString& text) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            lines.append({text.mid(start), QString()});
            break;
        }
        const bool crlf = end > start && text[end - 1] == QLatin1Char('\r');
        lines.append({text.mid(start, end - start - (crlf ? 1 : 0)),
                      crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")});
        start = end + 1;
    }
    return lines;
}

QString joinLines(const QList<Line>& lines) {
    QString text;
    for (const Line& line : lines)
        text += line.content + line.ending;
    return text;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Only spaces and tabs: an ideographic space at the end of a value is part of it.
QStringView trimBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool isQuoted(QStringView value) {
    return value.size() >= 2 && value.front() == value.back() &&
           (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
}

bool sameName(QStringView a, QStringView b) {
    return trimBlanks(a).compare(trimBlanks(b), Qt::CaseInsensitive) == 0;
}

// The name of the section that a line opens, if it opens one.
std::optional<QStringView> sectionName(QStringView line) {
    line = trimBlanks(line);
    if (!line.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return close < 0 ? line.mid(1) : line.mid(1, close - 1);
}

// Where a key is: the line of the first matching section, the line of the first
// matching key in it, and the section's last non-blank line; -1 when not found.
struct Location {
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastFilled = -1;
};

Location locate(const QList<Line>& lines, const QString& section, const QString& key) {
    Location at;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i].content;
        if (const auto name = sectionName(line)) {
            if (at.section >= 0)
                break;
            if (sameName(*name, section))
                at.section = at.lastFilled = i;
            continue;
        }
        if (at.section < 0 || trimBlanks(line).isEmpty())
            continue;
        at.lastFilled = i;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && sameName(line.left(equals), key)) {
            at.key = i;
            break;
        }
    }
    return at;
}

bool hasBreakOrNul(QStringView text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QChar(0));
}

// Why an entry cannot be stored, or nothing when it can.
std::optional<QString> entryProblem(const QString& section, const QString& key,
                                    const QString& value) {
    if (hasBreakOrNul(value))
        return QStringLiteral("設定値に改行やNUL文字を含めることはできません");
    if (trimBlanks(key).isEmpty())
        return QStringLiteral("設定のキー名が空です");
    if (key.contains(QLatin1Char('=')) || trimBlanks(key).startsWith(QLatin1Char('[')) ||
        hasBreakOrNul(key))
        return QStringLiteral("設定のキー名に「=」、先頭の「[」、改行は使えません");
    if (trimBlanks(section).isEmpty())
        return QStringLiteral("設定のセクション名が空です");
    if (section.contains(QLatin1Char(']')) || hasBreakOrNul(section))
        return QStringLiteral("設定のセクション名に「]」や改行は使えません");
    return std::nullopt;
}

// Quotes keep the blanks at a value's ends, and keep a quoted value's own quotes.
QString storedForm(const QString& value) {
    const bool quote =
        isQuoted(value) || (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())));
    return quote ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// The whole file as text; a missing file is the empty text.
Result readText(const QString& path, QString& text) {
    text.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return Result::success();
    if (info.isDir())
        return Result::failure(describeError(ErrorKind::IsAFolder, path));
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(describeFileFailure(file, errno, path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(describeFileFailure(file, errno, path));
    text = decodeText(bytes);
    return Result::success();
}

} // namespace

QString iniValue(const QString& text, const QString& section, const QString& key) {
    const QList<Line> lines = splitLines(text);
    const Location at = locate(lines, section, key);
    if (at.key < 0)
        return QString();
    const QStringView line = lines[at.key].content;
    QStringView value = trimBlanks(line.mid(line.indexOf(QLatin1Char('=')) + 1));
    if (isQuoted(value))
        value = value.mid(1, value.size() - 2);
    return value.toString();
}

Result withIniValue(QString& text, const QString& section, const QString& key,
                    const QString& value) {
    if (const auto problem = entryProblem(section, key, value))
        return Result::failure(*problem);
    QList<Line> lines = splitLines(text);
    const QString lineBreak = !lines.isEmpty() && lines.first().ending == QStringLiteral("\r\n")
                                  ? QStringLiteral("\r\n")
                                  : QStringLiteral("\n");
    const QString entry = key + QLatin1Char('=') + storedForm(value);
    const Location at = locate(lines, section, key);
    if (at.key >= 0) {
        lines[at.key].content = entry;
    } else {
        QList<Line> added{{entry, lineBreak}};
        if (at.section < 0)
            added.prepend({QLatin1Char('[') + section + QLatin1Char(']'), lineBreak});
        const qsizetype position = at.section < 0 ? lines.size() : at.lastFilled + 1;
        // The line before the new ones may be a last line without a line break.
        // One that ends in a CR gets a CR LF: a bare LF would join that CR into
        // a line break and take it from the line's value.
        if (position > 0 && lines[position - 1].ending.isEmpty()) {
            const bool endsInCr = lines[position - 1].content.endsWith(QLatin1Char('\r'));
            lines[position - 1].ending = endsInCr ? QStringLiteral("\r\n") : lineBreak;
        }
        for (qsizetype i = 0; i < added.size(); ++i)
            lines.insert(position + i, added[i]);
    }
    text = joinLines(lines);
    return Result::success();
}

QString readIniValue(const QString& filePath, const QString& section, const QString& key) {
    QString text;
    return readText(filePath, text).ok() ? iniValue(text, section, key) : QString();
}

Result writeIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& value) {
    QString text;
    const Result read = readText(filePath, text);
    if (!read.ok())
        return read;
    const Result changed = withIniValue(text, section, key, value);
    if (!changed.ok())
        return Result::failure(changed.error() + QStringLiteral(": ") + filePath);
    return writeFileAtomically(filePath, encodeText(text));
}
