#include "files/atomic_write.h"

#include "platform/error_text.h"

#include <QSaveFile>

#include <cerrno>

namespace {

Result failure(int errnum, const QSaveFile& file, const QString& path) {
    if (errnum != 0)
        return Result::failure(describeErrno(errnum, path));
    return Result::failure(describeError(ErrorKind::Other, path) + QStringLiteral("（") +
                           file.errorString() + QStringLiteral("）"));
}

} // namespace

Result writeFileAtomically(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failure(errno, file, path);
    errno = 0;
    if (file.write(content) != content.size()) {
        const int errnum = errno;
        file.cancelWriting();
        return failure(errnum, file, path);
    }
    errno = 0;
    if (!file.commit())
        return failure(errno, file, path);
    return Result::success();
}
