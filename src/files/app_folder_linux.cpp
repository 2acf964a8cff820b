#include "files/app_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace {

QString& testingFolder() {
    static QString folder;
    return folder;
}

// <prefix>/lib/fennick/ for an executable in <prefix>/bin.
QString installedModuleFolder(const QString& executable) {
    return QDir::cleanPath(QFileInfo(executable).path() + QStringLiteral("/../lib/fennick")) +
           QLatin1Char('/');
}

// The folder where the program keeps its files, and whether it is the
// installed program's per-user folder.
struct Location {
    QString folder;
    bool perUser = false;
};

Location locate() {
    if (!testingFolder().isEmpty())
        return {withTrailingSeparator(testingFolder())};
    const QString executable = executablePath();
    if (isInstalledLayout(executable)) {
        // $XDG_CONFIG_HOME, by default ~/.config; root is no exception.
        return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    QStringLiteral("/fennick/"),
                true};
    }
    return {withTrailingSeparator(QFileInfo(executable).path())};
}

} // namespace

QString executablePath() {
    // The kernel resolves symbolic links in /proc/self/exe.
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

bool isInstalledLayout(const QString& executable) {
    return QFileInfo(executable).dir().dirName() == QLatin1String("bin") &&
           QFileInfo(installedModuleFolder(executable) + QLatin1String(kDisplayModuleName))
               .isFile();
}

QString displayModulePath() {
    const QString executable = executablePath();
    const QString folder = isInstalledLayout(executable)
                               ? installedModuleFolder(executable)
                               : withTrailingSeparator(QFileInfo(executable).path());
    return folder + QLatin1String(kDisplayModuleName);
}

QString prepareFolderEnvironment(const QString& executable) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME"}) {
        const char* value = std::getenv(name);
        if (value && value[0] != '/')
            ::unsetenv(name);
    }
    if (!isInstalledLayout(executable) || std::getenv("HOME") || std::getenv("XDG_CONFIG_HOME"))
        return QString();
    return QStringLiteral("ホームフォルダーが分からないため、設定とジョブリストを置くフォルダーを"
                          "決められません（環境変数 HOME が設定されていないか、絶対パスでは"
                          "ありません）。HOME にホームフォルダーの絶対パスを設定してください。");
}

bool prepareFolderEnvironment() {
    const QString trouble = prepareFolderEnvironment(executablePath());
    if (trouble.isEmpty())
        return true;
    const QByteArray text = trouble.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return false;
}

QString appFolderLocation() {
    return locate().folder;
}

QString GetAppFolder() {
    const Location location = locate();
    // The per-user folder holds the user's own lists, so it is made private,
    // as the base directory rules ask. When it cannot be made, reading and
    // writing the files there fail and name it.
    if (location.perUser && !QFileInfo(location.folder).isDir()) {
        QDir().mkpath(QFileInfo(location.folder.chopped(1)).path());
        QDir().mkdir(location.folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return location.folder;
}

void setAppFolderForTesting(const QString& folder) {
    testingFolder() = folder;
}
