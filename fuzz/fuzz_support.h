#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

// Stops the run when a property does not hold; libFuzzer then saves the input
// that broke it as a crash file.
inline void require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// Any sequence of UTF-16 code units, lone surrogates included, as an argument
// or a text in memory may hold.
inline QString anyUtf16(FuzzedDataProvider& input, size_t maxBytes) {
    const std::string bytes = input.ConsumeRandomLengthString(maxBytes);
    return QString(reinterpret_cast<const QChar*>(bytes.data()),
                   static_cast<qsizetype>(bytes.size() / 2));
}

// A text decoded from UTF-8 bytes (invalid sequences become U+FFFD), as every
// text read from a file or typed in is: it survives being written in UTF-8.
inline QString validText(FuzzedDataProvider& input, size_t maxBytes) {
    return QString::fromStdString(input.ConsumeRandomLengthString(maxBytes));
}

// A path in a temporary folder that lives as long as the fuzzing process.
inline QString scratchPath(const QString& name) {
    static const QTemporaryDir folder;
    require(folder.isValid(), "the temporary folder can be created");
    return folder.filePath(name);
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "the input file can be written");
}
