#include "shell/shortcut_writer.h"

#include "common/error_text.h"
#include "files/atomic_write.h"
#include "shell/shortcut_files.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace {

// GNOME's desktop icons start a launcher only once it is marked trusted, Xfce
// only while the mark holds the checksum of its bytes. Both marks live in
// GIO's metadata store, which not every session runs, so this is best effort:
// elsewhere the executable bit is what counts.
void markTrusted(const QString& path, const QByteArray& content) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    const QString location = QFileInfo(path).absoluteFilePath();
    const QString checksum =
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
    const QList<QStringList> marks = {
        {QStringLiteral("set"), location, QStringLiteral("metadata::trusted"),
         QStringLiteral("true")},
        {QStringLiteral("set"), QStringLiteral("-t"), QStringLiteral("string"), location,
         QStringLiteral("metadata::xfce-exe-checksum"), checksum},
    };
    for (const QStringList& arguments : marks) {
        QProcess process;
        process.start(gio, arguments);
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished();
    }
}

} // namespace

Result writeShortcutFiles(const ShortcutFiles& files) {
    const Result link = writeFileAtomically(files.linkPath, files.link);
    if (!link.ok())
        return link;
    const Result launcher = writeFileAtomically(files.launcherPath, files.launcher);
    if (!launcher.ok())
        return launcher;
    // Desktops refuse to start a launcher from the user's folders unless it
    // is executable.
    if (::chmod(QFile::encodeName(files.launcherPath).constData(), 0755) != 0)
        return Result::failure(describeErrno(errno, files.launcherPath));
    markTrusted(files.launcherPath, files.launcher);
    return Result::success();
}
