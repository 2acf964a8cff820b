#!/usr/bin/env bash
# Takes the screenshots of the settings window in docs/ on a virtual X server
# with a window manager (Xvfb, openbox, ImageMagick's import): a sample profile
# in the desktop's default palette (docs/main_window.png) and in a dark one
# (docs/main_window_dark.png). Builds into build-quick/ unless a build folder
# is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-quick}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target window_screenshot >/dev/null

app=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$app"' EXIT
cp "$build/window_screenshot" "$app/"
printf '[SEND Folder]\nFolderName0=/home/user/backup\n' >"$app/_Fennick.ini"
for source in /home/user/文書/報告書.odt /home/user/文書/見積もり.xlsx /home/user/写真/旅行.jpg; do
    printf '/home/user/backup/,%s\n' "$source"
done >"$app/0copylist.txt"

export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp &
sleep 1
openbox &
sleep 1
for variant in "" _dark; do
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$app/window_screenshot" ${variant:+--dark} &
    shown=$!
    sleep 2
    window=$(xwininfo -root -tree | awk '/FENNICK/ && !found {print $1; found = 1}')
    import -window "$window" -frame "$root/docs/main_window$variant.png"
    kill "$shown"
    wait "$shown" 2>/dev/null || true
done
