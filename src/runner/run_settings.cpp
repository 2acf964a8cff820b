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
