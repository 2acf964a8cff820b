#include "runner/run_settings.h"

#include "files/settings.h"

#include <QRegularExpression>

RunSettings readRunSettings() {
    const QString section = QStringLiteral("MSG");
    RunSettings settings;
    settings.previewText = GetIniValue(section, QStringLiteral("Preview"));
    settings.completionTexts[0] = GetIniValue(section, QStringLiteral("COPY"));
    settings.completionTexts[1] = GetIniValue(section, QStringLiteral("DEL"));
    settings.completionTexts[2] = GetIniValue(section, QStringLiteral("MOVE"));
    settings.trashText = GetIniValue(QStringLiteral("OPTION"), QStringLiteral("Trash"));
    return settings;
}

PreviewMode previewMode(const QString& previewText) {
    const QString text = previewText.trimmed();
    if (text.isEmpty())
        return PreviewMode::Off;
    // A decimal number with an optional sign and exponent; words such as
    // "inf" or "nan" that a plain conversion would take are not numbers here.
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(text).hasMatch())
        return PreviewMode::NotANumber;
    return text.toDouble() == 1.0 ? PreviewMode::On : PreviewMode::Off;
}

TrashSetting trashSetting(const QString& trashText) {
    const QString text = trashText.trimmed();
    if (text.isEmpty() || text == QLatin1Char('0'))
        return TrashSetting::Off;
    return text == QLatin1Char('1') ? TrashSetting::On : TrashSetting::Invalid;
}
