#include "files/app_folder.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString& testingFolder() {
    static QString folder;
    return folder;
}

} // namespace

QString executablePath() {
    // The kernel resolves symbolic links in /proc/self/exe.
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

QString GetAppFolder() {
    if (!testingFolder().isEmpty())
        return withTrailingSeparator(testingFolder());
    return withTrailingSeparator(QFileInfo(executablePath()).path());
}

void setAppFolderForTesting(const QString& folder) {
    testingFolder() = folder;
}
