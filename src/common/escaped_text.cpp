#include "common/escaped_text.h"

#include <algorithm>

namespace {

bool isControlCharacter(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

} // namespace

QString escapedText(const QString& text) {
    // Most lines hold none and are written as they are.
    if (std::none_of(text.begin(), text.end(), isControlCharacter))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (isControlCharacter(c))
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    return escaped;
}
