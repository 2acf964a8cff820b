#include "files/ini_file.h"

#include "common/error_text.h"
#include "files/atomic_write.h"
#include "files/ordinary_file.h"
#include "files/text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <optional>

namespace {

// One line of a text with the line break that ends it ("\r\n", "\n", "\r",
// or nothing for a last line without one), so that the text can be rebuilt exactly.
struct Line {
    QString content;
    QString ending;
};

// The line that starts at pos, which moves past its line break: CR LF, LF or
// a lone CR, as the editors of every system write them.
QStringView nextLine(QStringView text, qsizetype& pos, QStringView& ending) {
    const qsizetype start = pos;
    while (pos < text.size() && text[pos] != QLatin1Char('\n') && text[pos] != QLatin1Char('\r'))
        ++pos;
    const QStringView content = text.sliced(start, pos - start);
    const qsizetype breakLength = pos == text.size()                                    ? 0
                                  : text.sliced(pos).startsWith(QStringLiteral("\r\n")) ? 2
                                                                                        : 1;
    ending = text.sliced(pos, breakLength);
    pos += breakLength;
    return content;
}

QList<Line> splitLines(const QString& text) {
    QList<Line> lines;
    qsizetype pos = 0;
    QStringView ending;
    while (pos < text.size()) {
        const QStringView content = nextLine(text, pos, ending);
        lines.append({content.toString(), ending.toString()});
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

QStringView valueOf(QStringView line, qsizetype equals) {
    QStringView value = trimBlanks(line.mid(equals + 1));
    return isQuoted(value) ? value.mid(1, value.size() - 2) : value;
}

// The whole file as text; a missing file is the empty text. A file that is
// not an ordinary file, or cannot be read, is an error naming it.
Result readText(const QString& path, DecodedText& decoded) {
    decoded = DecodedText();
    if (!QFileInfo::exists(path))
        return Result::success();
    QFile file;
    const Result opened = openOrdinaryFile(file, path);
    if (!opened.ok())
        return opened;
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(describeErrno(errno ? errno : EIO, path));
    decoded = decodeText(bytes);
    return Result::success();
}

} // namespace

QStringList iniValues(const QString& text, const QList<IniKey>& keys) {
    QStringList values(keys.size());
    // For each key: whether the line read lies in its section, and whether
    // its section, or the key itself, has been passed already.
    QList<bool> inSection(keys.size(), false);
    QList<bool> done(keys.size(), false);
    qsizetype pos = 0;
    QStringView ending;
    while (pos < text.size()) {
        const QStringView line = nextLine(text, pos, ending);
        if (const auto name = sectionName(line)) {
            for (qsizetype i = 0; i < keys.size(); ++i) {
                done[i] = done[i] || inSection[i];
                inSection[i] = !done[i] && sameName(*name, keys[i].section);
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (inSection[i] && !done[i] && sameName(line.left(equals), keys[i].key)) {
                values[i] = valueOf(line, equals).toString();
                done[i] = true;
            }
        }
    }
    return values;
}

QString iniValue(const QString& text, const QString& section, const QString& key) {
    return iniValues(text, {{section, key}}).front();
}

Result withIniValue(QString& text, const QString& section, const QString& key,
                    const QString& value) {
    if (const auto problem = entryProblem(section, key, value))
        return Result::failure(*problem);
    QList<Line> lines = splitLines(text);
    const QString lineBreak = !lines.isEmpty() && !lines.first().ending.isEmpty()
                                  ? lines.first().ending
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
        if (position > 0 && lines[position - 1].ending.isEmpty())
            lines[position - 1].ending = lineBreak;
        for (qsizetype i = 0; i < added.size(); ++i)
            lines.insert(position + i, added[i]);
    }
    text = joinLines(lines);
    return Result::success();
}

Result readIniFile(const QString& filePath, QString& text) {
    DecodedText decoded;
    const Result read = readText(filePath, decoded);
    text = decoded.text;
    return read;
}

QString readIniValue(const QString& filePath, const QString& section, const QString& key) {
    QString text;
    return readIniFile(filePath, text).ok() ? iniValue(text, section, key) : QString();
}

Result writeIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& value) {
    DecodedText decoded;
    const Result read = readText(filePath, decoded);
    if (!read.ok())
        return read;
    // Written back, replaced characters would stand for good in place of the
    // ones the file held.
    if (!decoded.faithful)
        return Result::failure(describeError(ErrorKind::UnfaithfulText, filePath));
    const Result changed = withIniValue(decoded.text, section, key, value);
    if (!changed.ok())
        return Result::failure(changed.error() + QStringLiteral(": ") + filePath);
    return writeFileAtomically(filePath, encodeText(decoded.text));
}
