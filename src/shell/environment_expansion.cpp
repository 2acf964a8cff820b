#include "shell/environment_expansion.h"

QString expandEnvironmentStrings(const QString& text, const QProcessEnvironment& environment) {
    QString expanded;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), from);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) {
            expanded += text.mid(from);
            break;
        }
        expanded += text.mid(from, open - from);
        const QString name = text.mid(open + 1, close - open - 1);
        expanded += !name.isEmpty() && environment.contains(name)
                        ? environment.value(name)
                        : text.mid(open, close - open + 1);
        from = close + 1;
    }
    return expanded;
}
