#include "copier/file_paths.h"

#include "common/error_text.h"

#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

// Qt takes file names on Linux as UTF-8 (QFile::encodeName converts through
// the system encoding, which is UTF-8 there); the direct conversion costs a
// fraction of the detour, once or twice for each file.
QByteArray encodedPath(const QString& path) {
    return path.toUtf8();
}

// Qt's encoder converts ASCII many units at a time, whatever the compiler's
// options, into a buffer that stays. It writes U+FFFD for half a surrogate
// pair where toUtf8() writes '?': such a path takes toUtf8(), so that every
// part of the program names the same file.
void encodePath(QStringView path, QByteArray& bytes) {
    QStringEncoder toUtf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    bytes.resize(toUtf8.requiredSpace(path.size()));
    bytes.truncate(toUtf8.appendToBuffer(bytes.data(), path) - bytes.constData());
    if (bytes.size() != path.size() &&
        std::any_of(path.begin(), path.end(), [](QChar c) { return c.isSurrogate(); }))
        bytes = path.toUtf8();
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QByteArrayView folderOf(QByteArrayView path) {
    const auto* slash = static_cast<const char*>(memrchr(path.data(), '/', size_t(path.size())));
    if (slash == nullptr)
        return ".";
    return slash == path.data() ? "/" : path.first(slash - path.data());
}

std::optional<struct stat> entryOf(const QByteArray& path) {
    struct stat info;
    if (lstat(path.constData(), &info) != 0)
        return std::nullopt;
    return info;
}

Result errnoFailure(const QString& path) {
    return Result::failure(describeErrno(errno, path));
}
