#!/usr/bin/env bash
# 郵便番号簿の更新 as a clerk named in Japanese meets it: the program folder and
# the downloaded zip both lie in a folder named ダウンロード, the button is
# clicked, the zip's name typed into Windows' own file dialog, and the national
# list must be installed beside the program, with no error shown.
#   tests/windows/postalwindow.sh MIVORA_EXE
# Runs on a display in the wine environment that scripts/windows-test.sh sets up.
set -euo pipefail
exe=$(realpath "$1")
data=$(cd "$(dirname "$0")/../data" && pwd)
user=$(id -un) # wine names the profile after the Unix user
folder=$WINEPREFIX/drive_c/users/$user/Downloads/ダウンロード
wine "$exe" init 'C:\users\'"$user"'\Downloads\ダウンロード' >/dev/null

# A list of the whole country (the excerpt and a line of every other
# prefecture, in the prefectures' order), zipped as the post office publishes it.
python3 - "$data" "$folder/ken_all.zip" <<'PY'
import sys, zipfile
data, target = sys.argv[1:3]
lines = []
for name in ("ken_all_excerpt.csv", "ken_all_other_prefectures.csv"):
    lines += open(f"{data}/{name}", "rb").read().splitlines(keepends=True)
lines.sort(key=lambda line: line[:2])
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
    archive.writestr("KEN_ALL.CSV", b"".join(lines))
PY

fail() {
    import -window root "$(dirname "$exe")/../postal-failure.png" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    echo "FAIL: $*" >&2
    exit 1
}
window_titled() { xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""; }
wait_for() { # title
    for _ in $(seq 60); do window_titled "$1" && return 0; sleep 0.5; done
    fail "no window \"$1\""
}

(cd "$folder" && wine "$exe" >/dev/null 2>&1 &) 2>/dev/null
wait_for "Mivora For Win32"
sleep 2
main=$(xdotool search --name "^Mivora For Win32$" | head -1)
# The toolbar's second button from the right: 郵便番号簿の更新.
xdotool mousemove --window "$main" 393 13 click 1
wait_for "郵便番号簿の zip ファイルの指定"
sleep 1
xdotool type --delay 50 ken_all.zip
xdotool key Return
for _ in $(seq 40); do [ -f "$folder/KEN_ALL.CSV" ] && break; sleep 0.5; done
sleep 1
! window_titled "エラー" || fail "an error was shown instead of installing the list"
[ -f "$folder/KEN_ALL.CSV" ] || fail "no KEN_ALL.CSV installed from the zip in ダウンロード"
wineserver -k 2>/dev/null || true
echo "postal list from a folder named ダウンロード: passed"
