#!/usr/bin/env bash
# The installer as a clerk's PC runs it, silently: the program in Program Files
# with its Start-menu entry and its line in the list of programs; the desktop
# program started on a program folder shows its main window and closes; the
# uninstaller removes the program and leaves the records.
#   tests/windows/desktop.sh Mivora-Setup-VERSION.exe
# Runs in the wine environment that scripts/windows-test.sh sets up; a failure
# keeps a screenshot in dist/windows/desktop-failure.png.
set -euo pipefail
installer=$(realpath "$1")
shot=$(realpath "$(dirname "$installer")")/desktop-failure.png
installed=$WINEPREFIX/drive_c/Program\ Files/Mivora
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
export DISPLAY=$display
wineserver -k 2>/dev/null || true # a session started elsewhere keeps its own display
sleep 1

fail() {
    import -display "$display" -window root "$shot" 2>/dev/null || true
    echo "FAIL: $*" >&2
    exit 1
}

wine "$installer" /S
[ -f "$installed/mivora.exe" ] || fail "the installer put no mivora.exe into Program Files"
[ -f "$menu/Mivora 車検証印刷.lnk" ] || fail "no Start-menu entry"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivora' /v DisplayVersion \
    | grep -q DisplayVersion || fail "no entry in the list of programs"

user=$(id -un) # wine names the profile after the Unix user
records=$WINEPREFIX/drive_c/users/$user/Documents/Mivora
wine "$installed/mivora.exe" init 'C:\users\'"$user"'\Documents\Mivora' >/dev/null

# From cmd, `mivora` is the console program: cmd waits for it, takes its exit code,
# and its Japanese comes in the console's code page (CP932 on a Japanese PC).
# (cmd's own exit code is the failed command's: not this script's failure.)
said=$(cd "$records" && {
    wine cmd /c 'set PATH=C:\Program Files\Mivora;%PATH%& mivora resolve --layout 9 & echo exit=%ERRORLEVEL%' \
        2>&1 || true
} | iconv -f CP932 -t UTF-8) || fail "the console output is not CP932: $said"
grep -q 'レイアウト 9 はありません' <<<"$said" || fail "cmd showed no Japanese message: $said"
grep -q 'exit=1' <<<"$said" || fail "cmd did not take the exit code of a failed command: $said"
(cd "$records" && wine "$installed/mivora.exe") &
program=$!
for _ in $(seq 60); do
    xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '"Mivora' && break
    sleep 1
done
xwininfo -display "$display" -root -tree | grep -q '"Mivora' || fail "no main window within 60 s"
sleep 2
import -display "$display" -window root "$(dirname "$shot")/desktop.png" 2>/dev/null || true
wine taskkill /IM mivora.exe >/dev/null 2>&1 || true
for _ in $(seq 30); do
    kill -0 $program 2>/dev/null || break
    sleep 1
done
! kill -0 $program 2>/dev/null || fail "the main window did not close"

wine "$installed/uninstall.exe" /S
for _ in $(seq 30); do [ -e "$installed/mivora.exe" ] || break; sleep 1; done
[ ! -e "$installed/mivora.exe" ] || fail "the uninstaller left the program"
[ ! -e "$menu/Mivora 車検証印刷.lnk" ] || fail "the uninstaller left the Start-menu entry"
[ -f "$records/CARDATA/INDATA.db" ] || fail "the uninstaller touched the records"
echo "installer and desktop: passed"
