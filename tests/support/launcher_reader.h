#pragma once

#include <QByteArray>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace test_support {

// A reader of desktop launchers written for the tests from the Desktop Entry
// rules, sharing no code with the writer. It is strict: whatever a writer may
// get wrong (a line that is no key, a repeated key, an unknown escape, a
// reserved character outside quotes, a field code) makes it fail.

using LauncherGroups = QMap<QString, QMap<QString, QString>>;

// Each group's keys and their values, as written (escapes not undone).
inline std::optional<LauncherGroups> readLauncherGroups(const QByteArray& bytes) {
    static const QRegularExpression keyLine(
        QStringLiteral("^([A-Za-z0-9-]+(\\[[^\\]]+\\])?) *= *"));
    LauncherGroups groups;
    QString group;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            if (groups.contains(group))
                return std::nullopt;
            groups[group];
            continue;
        }
        const QRegularExpressionMatch match = keyLine.match(line);
        if (group.isEmpty() || !match.hasMatch() || groups[group].contains(match.captured(1)))
            return std::nullopt;
        groups[group][match.captured(1)] = line.mid(match.capturedEnd());
    }
    return groups;
}

// A value with its string escapes (\s \n \t \r \\) undone.
inline std::optional<QString> unescapeValue(const QString& raw) {
    static const QMap<QChar, QChar> escapes = {
        {'s', ' '}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'\\', '\\'}};
    QString value;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\')) {
            value += raw[i];
            continue;
        }
        if (++i == raw.size() || !escapes.contains(raw[i]))
            return std::nullopt;
        value += escapes[raw[i]];
    }
    return value;
}

// %% stands for one %; no other field code is expected.
inline std::optional<QString> withoutFieldCodes(const QString& argument) {
    QString plain;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] == QLatin1Char('%') &&
            (++i == argument.size() || argument[i] != QLatin1Char('%')))
            return std::nullopt;
        plain += argument[i];
    }
    return plain;
}

// The argument vector of an Exec value: string escapes undone, split at
// blanks outside double quotes, quoting undone (inside quotes a backslash
// stands before ", `, $ or \ only), then %% read as %.
inline std::optional<QStringList> execArguments(const QString& raw) {
    static const QString reserved = QStringLiteral("\t\n\"'\\><~|&;$*?#()`");
    static const QString quotable = QStringLiteral("\"`$\\");
    const std::optional<QString> value = unescapeValue(raw);
    if (!value)
        return std::nullopt;
    QStringList quoted;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < value->size(); ++i) {
        const QChar c = value->at(i);
        if (c == QLatin1Char(' ')) {
            if (inArgument)
                quoted.append(current);
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"') && !inArgument) {
            for (++i; i < value->size() && value->at(i) != QLatin1Char('"'); ++i) {
                if (value->at(i) == QLatin1Char('\\') &&
                    (++i == value->size() || !quotable.contains(value->at(i))))
                    return std::nullopt;
                current += value->at(i);
            }
            // A quoted argument is quoted whole: a blank or the end follows.
            if (i == value->size() || (i + 1 < value->size() && value->at(i + 1) != ' '))
                return std::nullopt;
            inArgument = true;
        } else if (reserved.contains(c)) {
            return std::nullopt;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        quoted.append(current);
    QStringList arguments;
    for (const QString& argument : quoted) {
        const std::optional<QString> plain = withoutFieldCodes(argument);
        if (!plain)
            return std::nullopt;
        arguments.append(*plain);
    }
    return arguments;
}

// The argument vector of the Exec key of one group of a launcher file.
inline std::optional<QStringList> launcherCommand(const QByteArray& bytes, const QString& group) {
    const std::optional<LauncherGroups> groups = readLauncherGroups(bytes);
    if (!groups || !groups->value(group).contains(QStringLiteral("Exec")))
        return std::nullopt;
    return execArguments(groups->value(group).value(QStringLiteral("Exec")));
}

} // namespace test_support
