#include "runner/run_checks.h"

#include "common/error_text.h"
#include "files/file_search.h"
#include "files/settings.h"
#include "files/wildcard.h"

namespace {

Result badSettingValue(const QString& explanation) {
    return Result::failure(errorSentence(ErrorKind::TypeMismatch) + QStringLiteral("（") +
                           explanation + QStringLiteral("）: ") + settingsFilePath());
}

} // namespace

Result destinationName(const QString& source, QStringView& name) {
    name = QStringView(source).sliced(source.lastIndexOf(QLatin1Char('/')) + 1);
    if (!hasWildcards(name))
        return name.isEmpty() ? Result::failure(describeError(ErrorKind::FileNotFound, source))
                              : Result::success();
    if (isOrdinaryFile(source))
        return Result::success();
    return Result::failure(describeError(ErrorKind::BadFileName, source));
}

Result previewNotANumber(const RunSettings& settings) {
    return badSettingValue(
        QStringLiteral("[MSG] Preview の値「%1」は数値ではありません").arg(settings.previewText));
}

Result notASwitch(const char* key, const QString& value) {
    return badSettingValue(QStringLiteral("[OPTION] %1 の値「%2」は 0 でも 1 でもありません")
                               .arg(QLatin1String(key), value));
}

Result checkVerifySetting(const RunSettings& settings) {
    return switchSetting(settings.verifyText) == SwitchSetting::Invalid
               ? notASwitch("Verify", settings.verifyText)
               : Result::success();
}

QString stopMessage(const QString& error, qint64 stoppedAtLine, qint64 recordsDone) {
    if (stoppedAtLine == 0)
        return error;
    return error + QStringLiteral("\nジョブリストの %1 行目で停止しました（%2 件処理済み）。")
                       .arg(stoppedAtLine)
                       .arg(recordsDone);
}
