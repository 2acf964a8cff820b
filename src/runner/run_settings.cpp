#include "runner/run_settings.h"

#include "files/ini_file.h"
#include "files/settings.h"

#include <QRegularExpression>

Result readRunSettings(RunSettings& settings) {
    QString text;
    const Result read = readSettingsText(text);
    if (!read.ok())
        return Result::failure(QStringLiteral("設定ファイルを読み取れません。\n") + read.error());
    const QString section = QStringLiteral("MSG");
    const QStringList values =
        iniValues(text, {{section, QStringLiteral("Preview")},
                         {section, QStringLiteral("COPY")},
                         {section, QStringLiteral("DEL")},
                         {section, QStringLiteral("MOVE")},
                         {QStringLiteral("OPTION"), QStringLiteral("Trash")},
                         {QStringLiteral("OPTION"), QStringLiteral("Verify")}});
    settings.previewText = values[0];
    settings.completionTexts = {values[1], values[2], values[3]};
    settings.trashText = values[4];
    settings.verifyText = values[5];
    return Result::success();
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

SwitchSetting switchSetting(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1Char('0'))
        return SwitchSetting::Off;
    return trimmed == QLatin1Char('1') ? SwitchSetting::On : SwitchSetting::Invalid;
}
