#include "copier/file_paths.h"

#include "common/error_text.h"

#include <cerrno>
#include <cstring>

// Qt takes file names on Linux as UTF-8 (QFile::encodeName converts through
// the system encoding, which is UTF-8 there); the direct conversion costs a
// fraction of the detour, once or twice for each file.
QByteArray encodedPath(const QString& path) {
    return path.toUtf8();
}

// Most paths are ASCII, copied here char by char without a new buffer.
void encodePath(QStringView path, QByteArray& bytes) {
    bytes.resize(path.size());
    char* out = bytes.data();
    for (const QChar c : path) {
        if (c.unicode() >= 0x80) {
            bytes = path.toUtf8();
            return;
        }
        *out++ = char(c.unicode());
    }
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
