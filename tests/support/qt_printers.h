#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Lets GoogleTest print Qt texts in failure messages. GoogleTest finds a
// PrintTo by the argument's namespace, so these stay in the global one, as
// Qt's types do.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// File contents can be large: the size and the first bytes say enough.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    constexpr qsizetype shown = 80;
    *out << bytes.size() << " bytes \"" << bytes.left(shown).toStdString()
         << (bytes.size() > shown ? "...\"" : "\"");
}
