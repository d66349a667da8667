#!/usr/bin/env bash
# Types into the desktop program with a real Japanese input method (fcitx5 with
# mozc, Qt 6's fcitx5 plugin) on a virtual display with a window manager, the way
# a clerk does, and checks what the program stored through the headless commands
# (`mivora backup` read as CP932, `mivora resolve`). Slow, and not part of the test
# command.
#
#   sudo bash tests/app/input_method.sh BUILD/mivora [CASE...]
#
# Run as root it installs what is missing (apt-get) and runs the input method and
# the program as the unprivileged user mivora-im (created when missing): fcitx5
# and mozc refuse or misbehave as root. Run as another user, the packages must be
# there already and that user runs everything. CASE is a case name (grid-click,
# ...); without one all run. Each case's last screen (CASE.png) and the logs are
# in a work folder under /tmp, kept and named at the end when a case fails or
# MIVORA_IM_KEEP=1.
set -euo pipefail

binary=$(realpath "${1:?usage: input_method.sh PATH/TO/mivora [CASE...]}")
shift
packages=(xvfb xauth openbox dbus-x11 xdotool x11-utils imagemagick fcitx5 fcitx5-mozc
          mozc-server fcitx5-frontend-qt6 fonts-ipafont-gothic locales)
user=mivora-im

if [ "$(id -u)" -eq 0 ]; then
    missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    fi
    id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
    locale -a | grep -qi '^ja_JP\.utf-\?8$' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    run_as=(runuser -u "$user" --)
else
    user=$(id -un)
    run_as=()
fi
as_user() { "${run_as[@]}" env "${session_env[@]}" "$@"; }

work=$(mktemp -d /tmp/mivora-im.XXXXXX)
chmod 755 "$work"
cp "$binary" "$work/mivora" # the build may change while the cases run
home=$(getent passwd "$user" | cut -d: -f6)
chown "$user" "$work"

display=:$((90 + RANDOM % 100))
session_env=(DISPLAY="$display" HOME="$home" LANG=ja_JP.UTF-8 ASAN_OPTIONS=detect_leaks=0
             QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx XDG_RUNTIME_DIR="$work/run")
pids=()
failed=0
cleanup() {
    local pid
    [ -n "${program_pid:-}" ] && kill -- -"$program_pid" 2>/dev/null || true
    for pid in "${pids[@]}"; do kill -- -"$pid" 2>/dev/null || true; done
    [ -n "${dbus_pid:-}" ] && kill "$dbus_pid" 2>/dev/null || true
    # What these started on their own (mozc_server) carries this run's folder.
    for pid in $(pgrep -u "$user" || true); do
        grep -qz "^XDG_RUNTIME_DIR=$work/run\$" "/proc/$pid/environ" 2>/dev/null &&
            kill "$pid" 2>/dev/null || true
    done
    for _ in $(seq 25); do # up to 5 s for them to end
        pgrep -u "$user" -s "$(IFS=,; echo "${pids[*]:-0}")" >/dev/null || break
        sleep 0.2
    done
    if [ "${MIVORA_IM_KEEP:-0}" = 1 ] || ((failed)); then
        echo "Screens and logs: $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

# Each process the script starts leads a session of its own, ended with all it
# started.
started() {
    setsid "${run_as[@]}" env "${session_env[@]}" "$@" >"$work/$1.log" 2>&1 &
    pids+=($!)
}

# The input method: mozc as the only one besides the keyboard, one state for all
# windows, switched on once for the whole session.
as_user mkdir -p "$work/run" "$home/.config/fcitx5"
chmod 700 "$work/run"
as_user tee "$home/.config/fcitx5/profile" >/dev/null <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
as_user tee "$home/.config/fcitx5/config" >/dev/null <<'EOF'
[Behavior]
ShareInputState=All
EOF

started Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp
for _ in $(seq 50); do as_user xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
bus=$(as_user dbus-daemon --session --fork --print-address=1 --print-pid=1)
session_env+=(DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")")
dbus_pid=$(sed -n 2p <<<"$bus")
started openbox
started fcitx5 --disable=wayland,waylandim
for _ in $(seq 50); do as_user fcitx5-remote >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2 # mozc's addon loads after fcitx5 answers

x() { as_user xdotool "$@"; }
window() { # the id of the visible window titled $1, waiting up to 15 s
    local w
    for _ in $(seq 75); do
        w=$(x search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
        [ -n "$w" ] && { echo "$w"; return; }
        sleep 0.2
    done
    echo "no window $1" >&2
    return 1
}
at() { x mousemove --window "$1" "$2" "$3" click 1; sleep 0.5; } # window x y
keys() { x key --delay 150 "$@"; sleep 0.5; }
typed() { x type --delay 120 "$1"; sleep 0.8; } # romaji through the input method
close_box() { # the title bar's ×, as drawn by openbox
    local width
    width=$(as_user xwininfo -id "$1" | awk '/Width:/ {print $2}')
    at "$1" $((width - 10)) -10
}

# The main window is placed at a fixed size, so that its cells are where these
# say: row r of the list at y = 57 + 19 r, and the columns' x.
main=""
furigana=70 phone=180 user_col=290 address=400
row() { echo $((57 + 19 * $1)); }
designer_button=117 backup_button=65
# The designer's boxes, from its top-left corner.
edit_mode="22 327" item_name="170 116" designer_ok="205 376"

start_program() {
    rm -rf "$work/folder"
    cp -a "$work/sample" "$work/folder"
    (cd "$work/folder" && exec setsid "${run_as[@]}" env "${session_env[@]}" "$work/mivora" >"$work/program.log" 2>&1) &
    program_pid=$!
    main=$(window '^Mivora For Win32$')
    x windowsize "$main" 1200 800 windowmove "$main" 10 30
    sleep 1
    as_user fcitx5-remote -o # mozc on, ひらがな
    at "$main" "$furigana" "$(row 1)"
}

# Closes the program with its close box and reads what it stored.
stored_vehicles=""
stop_program() {
    as_user import -window root "$work/$name.png" 2>/dev/null || true
    close_box "$main"
    for _ in $(seq 50); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$program_pid" 2>/dev/null; then
        echo "  the program did not end; closed by force"
        kill "$program_pid"
    fi
    wait "$program_pid" || true
    program_pid=""
    (cd "$work/folder" && as_user "$work/mivora" backup all.CSV --row 1 >/dev/null)
    stored_vehicles=$(iconv -f CP932 -t UTF-8 "$work/folder/all.CSV" |
                      sed 'y/０１２３４５６７８９/0123456789/')
}
# field PHONE COLUMN: a stored vehicle's field (2 ふりがな, 3 電話番号, 4 使用者,
# 5 使用者住所), the vehicle found by its telephone number.
field() { awk -F, -v phone="$1" -v column="$2" '$3 == phone {print $column}' <<<"$stored_vehicles"; }
first_item() { (cd "$work/folder" && as_user "$work/mivora" resolve --layout 1 --record 1 | head -1 | cut -f2); }

problems=()
expect() { # WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || problems+=("$1 is \"$2\", not \"$3\"")
}

# Clicking another cell during a conversion takes what is converted.
case_grid_click() {
    at "$main" "$user_col" "$(row 11)"   # 高橋　美紀
    typed suzuki
    at "$main" "$phone" "$(row 16)"
    stop_program
    expect "row 11 使用者" "$(field 022-261-1111 4)" "すずき"
    expect "row 16 電話番号" "$(field 099-224-1111 3)" "099-224-1111"
}

# What was being converted when the clerk clicked away does not follow into the
# next cell.
case_grid_follow() {
    at "$main" "$user_col" "$(row 11)"
    typed suzuki
    at "$main" "$phone" "$(row 16)"
    at "$main" "$user_col" "$(row 12)"   # 田中　一郎
    typed satou
    at "$main" "$address" "$(row 4)"     # 加藤　明
    typed kobe
    keys Return Return
    stop_program
    expect "row 12 使用者" "$(field 092-711-4111 4)" "さとう"
    expect "row 4 使用者住所" "$(field 078-331-8181 5)" "こべ"
}

designer() {
    at "$main" "$designer_button" 13
    sleep 2
    designer_window=$(x search --onlyvisible --name '^Mivora For Win32$' | grep -vx "$main" | head -1)
    at "$designer_window" $edit_mode
}

# The designer's close box drops what is being converted, also what the input
# method sends of it afterwards.
case_designer_close_box() {
    designer
    at "$designer_window" $item_name
    keys End
    typed kensa
    close_box "$designer_window"
    sleep 1
    designer # again, and OK stores what the layout holds
    at "$designer_window" $designer_ok
    stop_program
    expect "項目1" "$(first_item)" "自動車登録番号"
}

# A leading ? typed with the input method on is the half-width ? of a hand-written
# item.
case_designer_question_mark() {
    designer
    at "$designer_window" $item_name
    keys ctrl+a
    typed '?uketsukebangou'
    keys space Return
    at "$designer_window" $designer_ok
    stop_program
    expect "項目1" "$(first_item)" "?受付番号"
}

# Tab goes from cell to cell of a row added with Insert.
case_added_row_tab() {
    keys Insert
    typed kana
    keys Return Tab
    typed 0312345678
    keys Return Tab
    typed yamada
    keys Return Return Up
    stop_program
    expect "added row ふりがな" "$(field 0312345678 2)" "かな"
    expect "added row 使用者" "$(field 0312345678 4)" "やまだ"
}

# After a backup the clerk is still on the vehicle chosen: what is typed next
# goes to it.
case_backup_keeps_vehicle() {
    at "$main" "$user_col" "$(row 8)"    # 小林　剛
    at "$main" "$backup_button" 13
    keys Return                          # the digit-count row offered
    window 'ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙの指定' >/dev/null
    keys Return                          # the file name offered
    sleep 2
    typed tesuto
    keys Return Return
    stop_program
    expect "row 8 使用者" "$(field 075-222-3111 4)" "てすと"
    expect "row 20 使用者" "$(field 043-223-2110 4)" "渡辺　優子"
}

# Leaving an added row by clicking another row goes to the row clicked.
case_added_row_click() {
    keys Insert
    typed kana
    keys Return
    at "$main" "$user_col" "$(row 3)"    # 遠藤　真一
    typed tesuto
    keys Return Return
    stop_program
    expect "row 3 使用者" "$(field 045-671-2121 4)" "てすと"
    expect "added row" "$(awk -F, '$2 == "かな" {print $2 "/" $4}' <<<"$stored_vehicles")" "かな/"
}

cases=(grid-click grid-follow designer-close-box designer-question-mark added-row-tab
       backup-keeps-vehicle added-row-click)
(($#)) && cases=("$@")
(cd "$work" && as_user "$work/mivora" init sample >/dev/null)
for name in "${cases[@]}"; do
    problems=()
    start_program
    "case_${name//-/_}"
    if ((${#problems[@]})); then
        failed=1
        echo "FAIL $name"
        printf '  %s\n' "${problems[@]}"
    else
        echo "PASS $name"
    fi
done
exit "$failed"
