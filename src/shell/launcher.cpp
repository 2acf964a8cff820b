#include "shell/launcher.h"

#include "common/error_text.h"

#include <algorithm>

namespace {

bool isReserved(QChar c) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

bool hasControlCharacter(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

// The string escapes of a key's value: a backslash is written twice, and a
// leading blank as \s so that no reader trims it.
QString escapedValue(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    if (escaped.startsWith(QLatin1Char(' ')))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString execValue(const QStringList& command) {
    QStringList arguments;
    for (const QString& argument : command)
        arguments.append(execArgument(argument));
    return escapedValue(arguments.join(QLatin1Char(' ')));
}

Result checkCommand(const QStringList& command) {
    for (const QString& argument : command) {
        if (hasControlCharacter(argument))
            return Result::failure(describeError(ErrorKind::BadFileName, argument));
    }
    if (command.isEmpty() || command.first().contains(QLatin1Char('=')))
        return Result::failure(describeError(ErrorKind::BadFileName, command.value(0)));
    return Result::success();
}

} // namespace

QString execArgument(const QString& argument) {
    QString written = argument;
    written.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!argument.isEmpty() && std::none_of(argument.begin(), argument.end(), isReserved))
        return written;
    QString quoted = QStringLiteral("\"");
    for (QChar c : written) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

Produced<QByteArray> composeLauncher(const Launcher& launcher) {
    for (const QString& value : {launcher.name, launcher.icon, launcher.actionName}) {
        if (hasControlCharacter(value))
            return {Result::failure(describeError(ErrorKind::BadFileName, value))};
    }
    for (const QStringList& command : {launcher.command, launcher.actionCommand}) {
        const Result checked = checkCommand(command);
        if (!checked.ok())
            return {checked};
    }
    // Version 1.4, the newest that Debian's validator knows; nothing here needs 1.5.
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Version=1.4\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Icon=%3\n"
                                         "Terminal=false\n"
                                         "Actions=settings;\n"
                                         "\n"
                                         "[Desktop Action settings]\n"
                                         "Name=%4\n"
                                         "Exec=%5\n")
                              .arg(escapedValue(launcher.name), execValue(launcher.command),
                                   escapedValue(launcher.icon), escapedValue(launcher.actionName),
                                   execValue(launcher.actionCommand));
    return {Result::success(), entry.toUtf8()};
}
