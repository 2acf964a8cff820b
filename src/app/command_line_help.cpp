#include "app/command_line_help.h"

#include "fennick_version.h"

namespace {

const char kJapaneseUsage[] = R"(使い方: %1 [/c数字 | /d数字 | /m数字]
       %1 --dry-run /c数字 | /d数字 | /m数字
       %1 --help | --version

ファイルの一覧から、コピー・削除・移動のバッチ処理を行います。
引数なしで起動すると設定画面を開きます。

起動引数:
  /c3, /C3    プロファイル 3 のファイルをすべて転送先フォルダーにコピーする
  /d3, /D3    プロファイル 3 のファイルをすべて削除する
  /m3, /M3    プロファイル 3 のファイルをすべて転送先フォルダーに移動する
              最初の 2 文字が実行モード、最後の 1 文字がプロファイル (0～9) です。
              実行モードのない引数は、何も読み込んでいない設定画面を開きます。
  --dry-run /d3
              実行せずに、/d3 の実行で行われる処理を標準出力に 1 行ずつ表示する
  --help      この説明を表示して終了する
  --version   バージョンを表示して終了する

SHIFT キーを押しながら起動するか、環境変数 FENNICK_SHIFT=1 を付けて起動すると、
実行せずに、そのモードとプロファイルの設定画面を開きます。
ディスプレイ (DISPLAY も WAYLAND_DISPLAY も) がないときは、メッセージを
標準エラー出力に書き、質問には標準入力から y か N で答えます。

端末で実行すると、0.5 秒を超える実行は標準エラー出力の 1 行に進み具合
(処理済みの件数、バイト数、速度、処理中のファイル) を表示し、最後まで終わると
「コピー完了: 40 件、640 MiB、2.1 秒」のような要約を 1 行書きます。

--dry-run はファイルにも設定にも実行ログにも何も書かず、ウィンドウも開きません。
ジョブリストと設定を実行と同じように読み、処理ごとに「コピー」「上書きコピー」
「移動」「上書き移動」「削除」「ごみ箱へ」と元と先のパスを書きます。確認を求める
削除には「（確認あり）」が付きます。読み取れない行、見つからないファイル、
読み取り専用のファイル、同じ実行の中での名前の衝突、設定の誤った値は、実行と同じ
メッセージと停止する行で報告し、終了ステータス 1 で終わります。書き込みのエラー
(ディスクの空き不足など) と、前の行の処理が後の行に及ぼす影響 (前の行で削除・移動
したファイルを後の行が使うなど) は予測できません。

ファイル (このプログラムのフォルダー: %2):
  _Fennick.ini                        設定ファイル
  0copylist.txt … 9copylist.txt       プロファイルごとのジョブリスト
  _Fennick.log                        実行ログ
  インストールされたプログラムは $XDG_CONFIG_HOME/fennick/ (既定は
  ~/.config/fennick/) を、それ以外は実行ファイルのあるフォルダーを使います。

終了ステータス:
  0   ジョブが最後まで終わった、--dry-run で問題がなかった、または設定画面を閉じた
  1   エラーでジョブが止まった、--dry-run が問題を見つけた、または設定画面を
      開けなかった
)";

const char kEnglishUsage[] = R"(Usage: %1 [/cN | /dN | /mN]
       %1 --dry-run /cN | /dN | /mN
       %1 --help | --version

Runs a hand-made list of files as a batch job: copy, delete or move.
Without an argument it opens its settings window.

Launch arguments:
  /c3, /C3    copy every file of profile 3 into its destination folder
  /d3, /D3    delete every file of profile 3
  /m3, /M3    move every file of profile 3 into its destination folder
              The first two characters choose the run mode, the last
              character the profile (0 to 9). An argument that names no run
              mode opens the settings window with nothing loaded.
  --dry-run /d3
              print what the run /d3 would do, one line per action, and
              do nothing
  --help      print this text and end
  --version   print the version and end

Starting with SHIFT held, or with the environment variable FENNICK_SHIFT=1,
opens the settings window on that mode and profile instead of running.
Without a display (neither DISPLAY nor WAYLAND_DISPLAY) messages go to
standard error and questions are answered with y or N on standard input.

Run from a terminal, a run that takes longer than half a second shows its
progress on one line of standard error (records and bytes done, rate, the
current file), and a run that finishes ends with a one-line summary such as
"コピー完了: 40 件、640 MiB、2.1 秒" (copy done: 40 records, 640 MiB, 2.1 s).

--dry-run writes nothing (no file, no setting, no run log line) and opens no
window. It reads the job list and the settings as the run would and prints
one line per action: copy, replace (上書きコピー, 上書き移動), move, delete or
trash (コピー, 移動, 削除, ごみ箱へ), with source and target. A delete that
would ask first is marked "（確認あり）". Lines that cannot be read, missing
files, read-only files, name clashes within the run and bad setting values
are reported as the run would report them, with the line where it would stop,
and end with exit status 1. It cannot foresee write errors (a full disk), nor
effects between records (a later record using a file that an earlier one
deleted or moved).

Files (this program's folder: %2):
  _Fennick.ini                        settings
  0copylist.txt ... 9copylist.txt     the job list of each profile
  _Fennick.log                        run log
  An installed program uses $XDG_CONFIG_HOME/fennick/ (by default
  ~/.config/fennick/); any other copy the folder of its executable.

Exit status:
  0   the job ran to its end, --dry-run found no problem, or the window
      was closed
  1   the job stopped at an error, --dry-run found a problem, or the window
      could not be opened
)";

} // namespace

HelpLanguage helpLanguage(const QString& lcAll, const QString& lcMessages, const QString& lang) {
    for (const QString& locale : {lcAll, lcMessages, lang})
        if (!locale.isEmpty())
            return locale.startsWith(QLatin1String("ja")) ? HelpLanguage::Japanese
                                                          : HelpLanguage::English;
    return HelpLanguage::English;
}

std::optional<QString> commandLineHelp(const QString& argument, const QString& programName,
                                       const QString& appFolder, HelpLanguage language) {
    if (argument == QLatin1String("--version"))
        return QStringLiteral("Fennick " FENNICK_VERSION "\n");
    if (argument == QLatin1String("--help"))
        return QString::fromUtf8(language == HelpLanguage::Japanese ? kJapaneseUsage
                                                                    : kEnglishUsage)
            .arg(programName, appFolder);
    return std::nullopt;
}
