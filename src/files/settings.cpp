#include "files/settings.h"

#include "files/app_folder.h"
#include "files/ini_file.h"

QString settingsFilePath() {
    return GetAppFolder() + QStringLiteral("_Fennick.ini");
}

Result readSettingsText(QString& text) {
    return readIniFile(settingsFilePath(), text);
}

QString GetIniValue(const QString& section, const QString& key) {
    return readIniValue(settingsFilePath(), section, key);
}

Result PutIniValue(const QString& section, const QString& key, const QString& value) {
    return writeIniValue(settingsFilePath(), section, key, value);
}
