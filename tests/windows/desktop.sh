#!/usr/bin/env bash
# The installer as a clerk's PC runs it. Silently: the program in Program Files
# with its Start-menu folder, its desktop shortcut and its line in the list of
# programs; the desktop program started on a program folder shows its main window
# and closes; the uninstaller removes the program and its shortcuts and leaves the
# records. Then by its pages, with the keys a clerk presses: a first installation
# into a Start-menu folder of the clerk's naming, Mivora started from the last page;
# an update over an older version that says so, remembers the folder, drops the
# desktop shortcut when asked and keeps the records and settings.
#   tests/windows/desktop.sh Mivora-Setup-VERSION.exe
# Runs in the wine environment that scripts/windows-test.sh sets up; a failure
# keeps a screenshot in dist/windows/desktop-failure.png.
#
# A page is known by what its controls say, read inside wine by windowtexts.exe:
# header, texts, edit boxes, check boxes ticked or not, the window caption, and
# the branding line, blank. Its screenshot, once two takes agree, is compared by
# properties that no font changes: the window keeps the size of the first page,
# each page differs from the one before, and the welcome and finish pages show
# the same picture on their left.
set -euo pipefail
installer=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
shot=$(realpath "$(dirname "$installer")")/desktop-failure.png
version=$(basename "$installer" .exe)
version=${version#Mivora-Setup-}
installed=$WINEPREFIX/drive_c/Program\ Files/Mivora
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
desktop=$WINEPREFIX/drive_c/users/Public/Desktop
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mivora'
link='Mivora 車検証印刷.lnk'

work=$(mktemp -d /tmp/mivora-desktop-XXXXXX)
# A display of its own: Xvfb takes a free number and says which once it is up.
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work"' EXIT
x86_64-w64-mingw32-gcc -municode -O2 -o "$work/windowtexts.exe" "$here/windowtexts.c"
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
[ "$display" != : ] || { echo "FAIL: no virtual display" >&2; exit 1; }
export DISPLAY=$display
wineserver -k 2>/dev/null || true # a session started elsewhere keeps its own display

fail() {
    import -display "$display" -window root "$shot" 2>/dev/null || true
    echo "FAIL: $*" >&2
    exit 1
}

records_key() { wine reg query 'HKCU\Software\Mivora' /v ProgramFolder 2>/dev/null | tr -d '\r'; }

wine "$installer" /S
[ -f "$installed/mivora.exe" ] || fail "the installer put no mivora.exe into Program Files"
[ -f "$menu/Mivora/$link" ] || fail "no Start-menu folder Mivora with the program's entry"
[ -f "$desktop/$link" ] || fail "no desktop shortcut"
wine reg query "$uninstall_key" /v DisplayVersion | grep -q DisplayVersion ||
    fail "no entry in the list of programs"

user=$(id -un) # wine names the profile after the Unix user
records=$WINEPREFIX/drive_c/users/$user/Documents/Mivora
records_win="C:\\users\\$user\\Documents\\Mivora" # as Windows names it
wine "$installed/mivora.exe" init "$records_win" >/dev/null

# From cmd, `mivora` is the console program: cmd waits for it, takes its exit code,
# and its Japanese comes in the console's code page (CP932 on a Japanese PC).
# (cmd's own exit code is the failed command's: not this script's failure.)
said=$(cd "$records" && {
    wine cmd /c 'set PATH=C:\Program Files\Mivora;%PATH%& mivora resolve --layout 9 & echo exit=%ERRORLEVEL%' \
        2>&1 || true
} | iconv -f CP932 -t UTF-8) || fail "the console output is not CP932: $said"
grep -q 'レイアウト 9 はありません' <<<"$said" || fail "cmd showed no Japanese message: $said"
grep -q 'exit=1' <<<"$said" || fail "cmd did not take the exit code of a failed command: $said"

main_window() { xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '"Mivora For Win32"'; }
close_program() { # the main window that is up: closed as the user closes it, and gone
    sleep 2 # started: a close sent sooner can come before the window is all there
    import -display "$display" -window root "$(dirname "$shot")/desktop.png" 2>/dev/null || true
    for _ in 1 2 3; do
        wine taskkill /IM mivora.exe >/dev/null 2>&1 || true
        for _ in $(seq 10); do main_window || break; sleep 1; done
        main_window || break
    done
    ! main_window || fail "the main window did not close"
}
(cd "$records" && wine "$installed/mivora.exe") &
program=$!
for _ in $(seq 60); do main_window && break; sleep 1; done
main_window || fail "no main window within 60 s"
close_program
for _ in $(seq 30); do
    kill -0 $program 2>/dev/null || break
    sleep 1
done
! kill -0 $program 2>/dev/null || fail "the program did not end"

wine "$installed/uninstall.exe" /S
for _ in $(seq 30); do [ -e "$installed/mivora.exe" ] || break; sleep 1; done
[ ! -e "$installed/mivora.exe" ] || fail "the uninstaller left the program"
[ ! -e "$menu/Mivora" ] || fail "the uninstaller left the Start-menu folder"
[ ! -e "$desktop/$link" ] || fail "the uninstaller left the desktop shortcut"
[ -f "$records/CARDATA/INDATA.db" ] || fail "the uninstaller touched the records"
echo "silent installer and desktop: passed"

# --- The pages, by keys -------------------------------------------------------

window= # the installer's X window
shots=0
texts=$work/texts
least=2000 # pixels by which a page differs from the page before; a key within it: 10
page() { # NAME EXPECTED...: waits for a page showing every EXPECTED (parts of lines of
    # windowtexts.exe, trailing blanks taken off), then takes and checks its screenshot
    local name=$1
    shift
    set -- $'title\t'"$caption" "$@" # the window's caption
    for _ in $(seq 120); do
        if wine "$work/windowtexts.exe" 'Mivora 車検証印刷' 2>/dev/null | sed 's/ *$//' >"$texts"; then
            local wanted missing=
            for wanted in "$@"; do grep -qF -- "$wanted" "$texts" || missing=$wanted; done
            [ -z "$missing" ] && break
        fi
        sleep 0.5
    done
    [ -z "${missing-x}" ] || fail "page $name: no \"$missing\" in:
$(cat "$texts")"
    ! grep -q Nullsoft "$texts" || fail "page $name: the NSIS branding is shown"
    ! awk -F'\t' '($2 == 1028 || $2 == 1256) && $4 != ""' "$texts" | grep -q . || fail "page $name: a branding line"
    [ -n "$window" ] || window=$(xdotool search --onlyvisible --classname '^mivora-setup' | head -n 1)
    [ -n "$window" ] || fail "page $name: no installer window on the display"
    # A page drawn: two takes 0.5 s apart agree (but for a blinking caret).
    shots=$((shots + 1))
    local file=$work/$shots-$name.png
    for _ in $(seq 20); do
        import -display "$display" -window "$window" "$work/take.png"
        sleep 0.5
        import -display "$display" -window "$window" "$file"
        [ "$(compare -metric AE "$work/take.png" "$file" null: 2>&1)" -lt 50 ] && break
    done
    local size
    size=$(identify -format %wx%h "$file")
    [ "$shots" -gt 1 ] || first_size=$size
    [ "$size" = "$first_size" ] || fail "page $name: the window is $size, the first page's $first_size"
    if [ "$shots" -gt 1 ]; then
        local changed
        changed=$(compare -metric AE "$previous" "$file" null: 2>&1 || true)
        [ "$changed" -ge "$least" ] || fail "page $name looks like the one before it ($changed pixels differ)"
    fi
    previous=$file
    least=2000
}
same_page() { least=10; page "$@"; } # after a key that changes what a page shows
focus() { # the keyboard to the installer window
    for _ in $(seq 50); do
        xdotool windowfocus "$window" 2>/dev/null || true
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && return
        sleep 0.2
    done
    fail "the installer window does not take the keyboard"
}
press() { focus; xdotool key --delay 100 "$@"; } # KEYS...
same_picture_left() { # PAGE-A PAGE-B: the welcome and finish pages' picture on the left
    local differ
    differ=$(compare -metric AE "$1[150x300+0+0]" "$2[150x300+0+0]" null: 2>&1 || true)
    [ "$differ" -lt 50 ] || fail "welcome and finish pages show different pictures on the left ($differ)"
}
installer_ends() {
    for _ in $(seq 60); do kill -0 "$setup" 2>/dev/null || break; sleep 0.5; done
    ! kill -0 "$setup" 2>/dev/null || fail "the installer did not end"
    wait "$setup" || fail "the installer ended with $?"
}

# The clerk's settings: the program folder it opens (as the program remembers it).
wine reg add 'HKCU\Software\Mivora' /v ProgramFolder /d "$records_win" /f >/dev/null
settings=$(records_key)
data=$(md5sum <"$records/CARDATA/INDATA.db")

caption='Mivora 車検証印刷 セットアップ' # of every page
wine "$installer" &
setup=$!
page welcome \
    $'1201\t-\tMivora 車検証印刷 セットアップへようこそ' \
    $'1202\t-\tMivora 車検証印刷 (バージョン '"$version"') をこのコンピュータにインストールします。'
welcome=$previous
press Return
page folder $'1037\t-\tインストール先の選択' $'1019\t-\tC:\\Program Files\\Mivora'
grep -qF $'1028\t-' "$texts" || fail "no branding line to check on the folder page"
press Return
page start-menu $'1037\t-\tスタートメニューのフォルダの選択' $'1002\t-\tMivora' \
    $'1005\tunchecked\tショートカットを作成しない'
focus
xdotool type --delay 100 Varnel # in place of the selected default
same_page start-menu-named $'1002\t-\tVarnel'
press Return
page desktop-shortcut $'1037\t-\t追加タスクの選択' \
    $'1200\tchecked\tデスクトップにショートカットを作成する(&D)'
press Return
page finish $'1201\t-\tMivora 車検証印刷 セットアップの完了' $'1203\tchecked\tMivora を起動する'
same_picture_left "$welcome" "$previous"
press Return
installer_ends
for _ in $(seq 60); do main_window && break; sleep 1; done
main_window || fail "the finish page started no Mivora (no main window within 60 s)"
close_program
[ -f "$installed/mivora.exe" ] || fail "the installer put no mivora.exe into Program Files"
[ -f "$menu/Varnel/$link" ] || fail "no entry in the Start-menu folder Varnel"
[ ! -e "$menu/Mivora" ] || fail "a Start-menu folder Mivora besides the one chosen"
[ -f "$desktop/$link" ] || fail "no desktop shortcut"

# An update over an older version: the same installer, the installed one made older.
wine reg add "$uninstall_key" /v DisplayVersion /d 0.9 /f >/dev/null
window=
shots=0
caption='Mivora 車検証印刷 の更新'
wine "$installer" &
setup=$!
page update-welcome $'1201\t-\tMivora 車検証印刷 の更新' \
    $'1202\t-\tインストール済みの Mivora (バージョン 0.9) をバージョン '"$version"' に更新します。データと設定はそのまま残ります。'
welcome=$previous
press Return # straight to the Start menu: an update goes where the installation is
page update-start-menu $'1037\t-\tスタートメニューのフォルダの選択' \
    $'1002\t-\tVarnel'
press Return
page update-desktop-shortcut $'1200\tchecked\tデスクトップにショートカットを作成する(&D)'
press alt+d
same_page update-desktop-shortcut-off $'1200\tunchecked\tデスクトップにショートカットを作成する(&D)'
press Return
page update-finish $'1201\t-\tMivora 車検証印刷 の更新の完了' \
    $'1203\tchecked\tMivora を起動する'
same_picture_left "$welcome" "$previous"
press space
same_page update-finish-no-start $'1203\tunchecked\tMivora を起動する'
press Return
installer_ends
sleep 2
! main_window || fail "Mivora started though \"Mivora を起動する\" was unticked"
wine reg query "$uninstall_key" /v DisplayVersion | grep -q "$version" || fail "the version was not updated"
[ -f "$menu/Varnel/$link" ] || fail "the update lost the Start-menu entry"
[ ! -e "$desktop/$link" ] || fail "the update kept the desktop shortcut the clerk unticked"
[ "$(md5sum <"$records/CARDATA/INDATA.db")" = "$data" ] || fail "the update changed the records"
[ "$(records_key)" = "$settings" ] || fail "the update changed the settings: $(records_key)"

wine "$installed/uninstall.exe" /S
for _ in $(seq 30); do [ -e "$installed/mivora.exe" ] || break; sleep 1; done
[ ! -e "$installed/mivora.exe" ] || fail "the uninstaller left the program"
[ ! -e "$menu/Varnel" ] || fail "the uninstaller left the Start-menu folder Varnel"
[ "$(md5sum <"$records/CARDATA/INDATA.db")" = "$data" ] || fail "the uninstaller touched the records"
[ "$(records_key)" = "$settings" ] || fail "the uninstaller touched the settings"
echo "installer pages and update: passed"
