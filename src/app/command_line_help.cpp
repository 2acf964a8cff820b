#include "app/command_line_help.h"

#include "fennick_version.h"

namespace {

const char kUsage[] = R"(使い方: %1 [/c数字 | /d数字 | /m数字]
       %1 --help | --version

ファイルの一覧から、コピー・削除・移動のバッチ処理を行います。
引数なしで起動すると設定画面を開きます。

起動引数:
  /c3, /C3    プロファイル 3 のファイルをすべて転送先フォルダーにコピーする
  /d3, /D3    プロファイル 3 のファイルをすべて削除する
  /m3, /M3    プロファイル 3 のファイルをすべて転送先フォルダーに移動する
              最初の 2 文字が実行モード、最後の 1 文字がプロファイル (0～9) です。
              実行モードのない引数は、何も読み込んでいない設定画面を開きます。
  --help      この説明を表示して終了する
  --version   バージョンを表示して終了する

SHIFT キーを押しながら起動するか、環境変数 FENNICK_SHIFT=1 を付けて起動すると、
実行せずに、そのモードとプロファイルの設定画面を開きます。
ディスプレイ (DISPLAY も WAYLAND_DISPLAY も) がないときは、メッセージを
標準エラー出力に書き、質問には標準入力から y か N で答えます。

ファイル (このプログラムのフォルダー: %2):
  _Fennick.ini                        設定ファイル
  0copylist.txt … 9copylist.txt       プロファイルごとのジョブリスト
  _Fennick.log                        実行ログ
  インストールされたプログラムは $XDG_CONFIG_HOME/fennick/ (既定は
  ~/.config/fennick/) を、それ以外は実行ファイルのあるフォルダーを使います。

終了ステータス:
  0   ジョブが最後まで終わった、または設定画面を閉じた
  1   エラーでジョブが止まった、または設定画面を開けなかった
)";

} // namespace

std::optional<QString> commandLineHelp(const QString& argument, const QString& programName,
                                       const QString& appFolder) {
    if (argument == QLatin1String("--version"))
        return QStringLiteral("Fennick " FENNICK_VERSION "\n");
    if (argument == QLatin1String("--help"))
        return QString::fromUtf8(kUsage).arg(programName, appFolder);
    return std::nullopt;
}
