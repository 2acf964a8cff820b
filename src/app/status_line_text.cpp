#include "app/status_line_text.h"

#include <QList>
#include <QStringList>

#include <clocale>
#include <cwchar>
#include <locale.h>

namespace {

// A file at least this large shows its own bytes: it is what takes the time.
constexpr qint64 kLargeFile = 64 * 1024 * 1024;
const QString kEllipsis = QStringLiteral("...");
const QString kGap = QStringLiteral("  ");

QString modeName(RunMode mode) {
    static const char16_t* const names[] = {u"コピー", u"削除", u"移動"};
    return QString::fromUtf16(names[int(mode)]);
}

// The widths of characters as the C library knows them in a UTF-8 locale,
// whatever locale the program runs in; the thread's locale is switched only
// for the measurement.
class CharacterWidths {
  public:
    CharacterWidths() : m_utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr))) {
        if (m_utf8)
            m_previous = uselocale(m_utf8);
    }
    ~CharacterWidths() {
        if (m_utf8) {
            uselocale(m_previous);
            freelocale(m_utf8);
        }
    }
    CharacterWidths(const CharacterWidths&) = delete;
    CharacterWidths& operator=(const CharacterWidths&) = delete;

    int of(char32_t c) const {
        const int width = m_utf8 ? wcwidth(wchar_t(c)) : 1;
        return width < 0 ? 1 : width;
    }

  private:
    locale_t m_utf8;
    locale_t m_previous = locale_t(nullptr);
};

// The longest start of the text (from the end when `fromEnd`) that fits in
// `columns`.
QString fittingPart(const QString& text, int columns, bool fromEnd) {
    const CharacterWidths widths;
    const QList<uint> characters = text.toUcs4();
    int used = 0;
    qsizetype count = 0;
    for (; count < characters.size(); ++count) {
        const uint c = characters[fromEnd ? characters.size() - 1 - count : count];
        used += widths.of(char32_t(c));
        if (used > columns)
            break;
    }
    const QList<uint> kept =
        fromEnd ? characters.mid(characters.size() - count) : characters.mid(0, count);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(kept.constData()), kept.size());
}

QString rateText(qint64 bytesPerSecond) {
    return bytesPerSecond < 0 ? QString() : byteSize(bytesPerSecond) + QStringLiteral("/s");
}

} // namespace

QString byteSize(qint64 bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    double value = double(bytes) / 1024;
    int unit = 0;
    for (; value >= 1024 && unit < 4; ++unit)
        value /= 1024;
    return QStringLiteral("%1 %2").arg(value, 0, 'f', value < 10 ? 1 : 0).arg(units[unit]);
}

int terminalColumns(const QString& text) {
    const CharacterWidths widths;
    int columns = 0;
    for (const uint c : text.toUcs4())
        columns += widths.of(char32_t(c));
    return columns;
}

QString shortenedToColumns(const QString& text, int columns) {
    if (terminalColumns(text) <= columns)
        return text;
    const int room = columns - int(kEllipsis.size());
    if (room < 6)
        return QString();
    // The end of a path names the file, so it keeps the larger part.
    const QString head = fittingPart(text, room / 3, false);
    return head + kEllipsis + fittingPart(text, room - terminalColumns(head), true);
}

QString statusLineText(const StatusFigures& figures, int columns) {
    QStringList fields{
        QStringLiteral("%1/%2 件").arg(figures.recordsDone).arg(figures.recordCount)};
    if (figures.mode != RunMode::Delete) {
        if (figures.fileSize >= kLargeFile)
            fields.append(byteSize(figures.fileBytesDone) + QLatin1Char('/') +
                          byteSize(figures.fileSize));
        else if (figures.byteTotal >= 0)
            fields.append(byteSize(figures.bytesDone) + QLatin1Char('/') +
                          byteSize(figures.byteTotal));
        else
            fields.append(byteSize(figures.bytesDone));
        if (figures.bytesPerSecond >= 0)
            fields.append(rateText(figures.bytesPerSecond));
    }
    const QString figuresText = fields.join(kGap);
    // The last column stays free: a line that fills it makes some terminals
    // wrap, and the next update would then land on a line of its own.
    const int room = columns - 1 - terminalColumns(figuresText) - int(kGap.size());
    const QString source = shortenedToColumns(figures.source, room);
    const QString line = source.isEmpty() ? figuresText : figuresText + kGap + source;
    return terminalColumns(line) < columns ? line : shortenedToColumns(line, columns - 1);
}

QString runSummaryText(RunMode mode, qint64 records, qint64 bytes, qint64 milliseconds) {
    const QString seconds = QString::number(double(milliseconds) / 1000, 'f', 1);
    if (mode == RunMode::Delete)
        return QStringLiteral("%1完了: %2 件、%3 秒").arg(modeName(mode)).arg(records).arg(seconds);
    return QStringLiteral("%1完了: %2 件、%3、%4 秒")
        .arg(modeName(mode))
        .arg(records)
        .arg(byteSize(bytes), seconds);
}
