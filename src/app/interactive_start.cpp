#include "app/interactive_start.h"

#include "app/launch_decision.h"
#include "common/error_text.h"

namespace {

std::optional<RunMode> modeFromLetter(QChar letter) {
    switch (letter.unicode()) {
    case 'c':
    case 'C':
        return RunMode::Copy;
    case 'd':
    case 'D':
        return RunMode::Delete;
    case 'm':
    case 'M':
        return RunMode::Move;
    default:
        return std::nullopt;
    }
}

} // namespace

InteractivePresets interactivePresets(const QString& argument) {
    InteractivePresets presets;
    if (argument.isEmpty())
        return presets;
    if (argument.size() >= 2)
        presets.mode = modeFromLetter(argument[1]);
    const QString profileText = lastCharacter(argument);
    const QChar digit = profileText.front();
    if (profileText.size() != 1 || digit < QLatin1Char('0') || digit > QLatin1Char('9')) {
        presets.status = Result::failure(
            errorSentence(ErrorKind::TypeMismatch) +
            QStringLiteral("（起動引数の最後の文字「%1」はプロファイル番号ではありません）")
                .arg(profileText));
        return presets;
    }
    presets.profile = digit.unicode() - '0';
    return presets;
}
