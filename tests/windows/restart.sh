#!/usr/bin/env bash
# A copy ended by the system leaves nothing that keeps the next start out: the
# desktop program runs on a program folder, every process of the prefix is ended
# at once (as a crash or a forced shutdown ends it, and wine then numbers the
# processes afresh), and the next start must show the main window, not the
# refusal. Twenty times.
#   tests/windows/restart.sh MIVORA_EXE
# Runs on a display in the wine environment that scripts/windows-test.sh sets up.
set -euo pipefail
exe=$(realpath "$1")
user=$(id -un) # wine names the profile after the Unix user
folder=$WINEPREFIX/drive_c/users/$user/Documents/再起動
wine "$exe" init 'C:\users\'"$user"'\Documents\再起動' >/dev/null

# The main window: the refusal is a message box of the same title, but never of
# the main window's first size.
main_window_shown() {
    xwininfo -root -tree 2>/dev/null | grep -q '"Mivora For Win32": .*  435x300+'
}

for round in $(seq 20); do
    (cd "$folder" && wine "$exe" >/dev/null 2>&1 &) 2>/dev/null
    shown=false
    for _ in $(seq 120); do
        main_window_shown && { shown=true; break; }
        sleep 0.5
    done
    wineserver -k 2>/dev/null || true
    if ! $shown; then
        echo "FAIL: start $round after the prefix was ended showed no main window" >&2
        exit 1
    fi
done
echo "restart after a killed copy: 20 of 20 passed"
