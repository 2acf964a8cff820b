#include "shell/shortcut_writer.h"

#include "files/replacement_file.h"
#include "shell/shortcut_files.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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

// Replaces the entry whole; a link in its place is replaced, never followed.
Result replaceEntry(const QString& path, const QByteArray& content, mode_t mode) {
    ReplacementFile file(path);
    file.write(content);
    return file.commit(mode);
}

} // namespace

Result writeShortcutFiles(const ShortcutFiles& files) {
    const Result link = replaceEntry(files.linkPath, files.link, 0644);
    if (!link.ok())
        return link;
    // Desktops refuse to start a launcher from the user's folders unless it
    // is executable.
    const Result launcher = replaceEntry(files.launcherPath, files.launcher, 0755);
    if (!launcher.ok())
        return launcher;
    markTrusted(files.launcherPath, files.launcher);
    return Result::success();
}
