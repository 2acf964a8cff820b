// The settings reader and writer on any settings file and any entry: a write
// either is refused, leaving the text and the file as they were, or stores the
// value so that it reads back unchanged, from the text and from the file, while
// every other key keeps its value.

#include "fuzz_support.h"

#include "files/ini_file.h"
#include "files/text_codec.h"

#include <QList>

namespace {

struct Name {
    QString section;
    QString key;
};

QStringView withoutBlanks(QStringView name) {
    while (!name.isEmpty() && (name.front() == u' ' || name.front() == u'\t'))
        name = name.mid(1);
    while (!name.isEmpty() && (name.back() == u' ' || name.back() == u'\t'))
        name.chop(1);
    return name;
}

// Names match without regard to letter case or to blanks around them.
bool sameName(const QString& a, const QString& b) {
    return withoutBlanks(a).compare(withoutBlanks(b), Qt::CaseInsensitive) == 0;
}

// Section and key names that the text may hold: what follows a "[" on a line,
// and what comes before a "=". A few of each are enough to see a write
// disturb another key.
QList<Name> namesIn(const QString& text) {
    QStringList sections;
    QStringList keys;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype open = line.indexOf(QLatin1Char('['));
        if (open >= 0 && sections.size() < 6)
            sections.append(line.mid(open + 1).section(QLatin1Char(']'), 0, 0));
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && keys.size() < 12)
            keys.append(line.left(equals));
    }
    QList<Name> names;
    for (const QString& section : sections) {
        for (const QString& key : keys)
            names.append({section, key});
    }
    return names;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "the settings file can be read");
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const Name entry{validText(input, 64), validText(input, 64)};
    const QString value = validText(input, 256);
    const Name other{validText(input, 64), validText(input, 64)};
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray before(rest.data(), qsizetype(rest.size()));
    const DecodedText decoded = decodeText(before);
    const QString textBefore = decoded.text;

    QString text = textBefore;
    const Result changed = withIniValue(text, entry.section, entry.key, value);
    const QString path = scratchPath(QStringLiteral("_Fennick.ini"));
    writeBytes(path, before);
    const Result written = writeIniValue(path, entry.section, entry.key, value);
    require(written.ok() == (changed.ok() && decoded.faithful),
            "the file is refused exactly when the text is, or was not read faithfully");
    if (!written.ok())
        require(fileBytes(path) == before, "a refused write leaves the file as it was");
    if (!changed.ok())
        require(text == textBefore, "a refused write leaves the text as it was");
    if (!written.ok())
        return 0;
    require(iniValue(text, entry.section, entry.key) == value, "the value reads back");
    require(readIniValue(path, entry.section, entry.key) == value,
            "the value reads back from the file");

    QList<Name> others = namesIn(textBefore);
    others.append(other);
    for (const Name& name : others) {
        if (sameName(name.section, entry.section) && sameName(name.key, entry.key))
            continue;
        const QString old = iniValue(textBefore, name.section, name.key);
        require(iniValue(text, name.section, name.key) == old, "other keys keep their values");
        require(readIniValue(path, name.section, name.key) == old,
                "other keys keep their values in the file");
    }
    return 0;
}
