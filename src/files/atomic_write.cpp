#include "files/atomic_write.h"

#include "common/error_text.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

QString describeFileFailure(const QFileDevice& file, int errnum, const QString& path) {
    if (errnum != 0)
        return describeErrno(errnum, path);
    // QSaveFile refuses a folder in the file's place without a system error.
    if (QFileInfo(path).isDir())
        return describeError(ErrorKind::IsAFolder, path);
    if (file.error() == QFileDevice::ResourceError)
        return describeError(ErrorKind::DiskFull, path);
    if (file.error() == QFileDevice::PermissionsError)
        return describeError(ErrorKind::AccessDenied, path);
    return errorSentence(ErrorKind::Other) + QStringLiteral("（") + file.errorString() +
           QStringLiteral("）: ") + path;
}

Result writeFileAtomically(const QString& path, const QByteArray& content) {
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return Result::failure(describeError(ErrorKind::PathNotFound, path));
    QSaveFile file(path);
    errno = 0;
    // Unbuffered: QSaveFile::commit() does not notice a failed flush of its
    // buffer and would rename a cut-off file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(describeFileFailure(file, errno, path));
    // A write may stop short without an error (a disk filling up); writing the
    // rest then fails and tells why.
    for (qsizetype done = 0; done < content.size();) {
        errno = 0;
        const qint64 written = file.write(content.constData() + done, content.size() - done);
        if (written <= 0)
            return Result::failure(describeFileFailure(file, errno, path));
        done += written;
    }
    errno = 0;
    // The temporary file is removed by a failed commit() or, after a failed
    // write, by the QSaveFile destructor.
    if (!file.commit())
        return Result::failure(describeFileFailure(file, errno, path));
    return Result::success();
}
