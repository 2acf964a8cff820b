#include "files/app_folder.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString& testingFolder() {
    static QString folder;
    return folder;
}

} // namespace

QString withTrailingSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString GetAppFolder() {
    if (!testingFolder().isEmpty())
        return withTrailingSeparator(testingFolder());
    // The kernel resolves symbolic links in /proc/self/exe.
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return withTrailingSeparator(QFileInfo(executable).path());
}

void setAppFolderForTesting(const QString& folder) {
    testingFolder() = folder;
}
