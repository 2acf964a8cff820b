#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Lets GoogleTest print Qt texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// File contents can be large: the size and the first bytes say enough.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    constexpr qsizetype shown = 80;
    *out << bytes.size() << " bytes \"" << bytes.left(shown).toStdString()
         << (bytes.size() > shown ? "...\"" : "\"");
}
