#!/usr/bin/env bash
# The Windows program under wine beside the Debian program of the same commit:
# the same commands on twin program folders (under ドキュメント) give the same
# texts, the same files byte for byte and the same pages to 0.1 mm, and what one
# writes the other reads.
# A crash of the Windows program fails the run with wine's backtrace, its frames
# in the program named from SYMBOLS_EXE (the same program before stripping).
#   tests/windows/e2e.sh DEBIAN_MIVORA WINDOWS_MIVORA_EXE PARADOXSAMPLE [SYMBOLS_EXE]
# Runs in the wine environment that scripts/windows-test.sh sets up.
set -uo pipefail
deb=$(realpath "$1")
win=$(realpath "$2")
paradox=$(realpath "$3")
symbols=${4:+$(realpath "$4")}
here=$(cd "$(dirname "$0")" && pwd)
postal_list=${MIVORA_SHARED_DATA:-$here/../../../shared/data}/KEN_ALL.CSV
[ -f "$postal_list" ] || postal_list=$here/../data/ken_all_excerpt.csv

work=$(mktemp -d /tmp/mivora-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/deb" "$work/win"
failures=0
checks=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { checks=$((checks + 1)); }

# Runs a command in a folder under each system's root; its output with the
# roots and the Windows drive taken out.
on() { # deb|win folder args...
    local side=$1 folder=$2
    shift 2
    if [ "$side" = deb ]; then
        (cd "$work/deb/$folder" && "$deb" "$@" 2>&1) | sed "s|$work/deb|ROOT|g"
    else
        (cd "$work/win/$folder" && wine "$win" "$@" 2>&1) | tr -d '\r' | keep_crash "$@" |
            sed 's|Z:\\|/|g; s|\\|/|g' | sed "s|$work/win|ROOT|g"
    fi
}

# Passes the output on; a crash's output (wine's register dump and backtrace)
# goes whole into the crash log, with the program's frames named.
keep_crash() { # the command's args
    local output
    output=$(cat)
    printf '%s\n' "$output"
    grep -q '^Backtrace:' <<<"$output" || return 0
    {
        echo "== mivora $* crashed under wine:"
        echo "$output"
        [ -n "$symbols" ] && grep -o 'in mivora (+0x[0-9a-f]*)' <<<"$output" | grep -o '0x[0-9a-f]*' |
            python3 "$here/symbolize.py" "$symbols"
    } >>"$work/crashes.log"
}

same_output() { # folder args...
    check
    local a b
    a=$(on deb "$@")
    b=$(on win "$@")
    [ "$a" = "$b" ] || fail "mivora $* differs:"$'\n'"$(diff <(echo "$a") <(echo "$b") | head -10)"
}

same_file() { # path under both roots
    check
    cmp -s "$work/deb/$1" "$work/win/$1" || fail "$1 differs between the two systems"
}

# Every word of two PDFs at the same place, within 0.1 mm (0.283 pt): its left
# and right edges and its foot. The top of a word's box is the font's ascent as
# each system's font engine reports it (GDI on Windows, FreeType on Debian), not
# where the ink lands.
same_pages() { # path under both roots, [tolerance in points]
    check
    python3 - "$work/deb/$1" "$work/win/$1" "${2:-0.283}" <<'PY' || fail "$1: the pages differ"
import re, subprocess, sys
def words(pdf):
    html = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True).stdout
    return [(m[4], *map(float, m[:4])) for m in
            re.findall(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>', html)]
# Sorted by text and place: the reading order pdftotext finds depends on the tops.
a, b = (sorted(words(pdf), key=lambda w: (w[0], round(w[1]), round(w[4]))) for pdf in sys.argv[1:3])
if not a or len(a) != len(b):
    sys.exit(f"{len(a)} words against {len(b)}")
for x, y in zip(a, b):
    if x[0] != y[0] or max(abs(x[i] - y[i]) for i in (1, 3, 4)) > float(sys.argv[3]):
        sys.exit(f"{x} against {y}")
PY
}

folder=ドキュメント/Mivora
for side in deb win; do
    check
    out=$(on "$side" . init "$folder") || fail "init on $side: $out"
done
same_output . init "$folder-again"
# The settings files byte for byte; the sample form images are drawn with each
# system's own text rendering, so only their size is the same.
for file in $(cd "$work/deb/$folder" && find . -type f ! -path './CARDATA/*' ! -name '*.jpg'); do
    same_file "$folder/$file"
done
for image in "$work/deb/$folder"/*.jpg; do
    check
    name=$(basename "$image")
    [ "$(identify -format %wx%h "$image")" = "$(identify -format %wx%h "$work/win/$folder/$name")" ] ||
        fail "$name has another size on Windows"
done

for layout in 1 2; do
    for record in 1 5 12 20; do
        same_output "$folder" resolve --layout "$layout" --record "$record"
    done
    same_output "$folder" print --pdf "layout$layout.pdf" --layout "$layout" --record 5
    same_pages "$folder/layout$layout.pdf"
done

# Backups: the same bytes from both, and each restores the other's.
for kind in CSV TXT; do
    same_output "$folder" backup "控え.$kind" --row 1
    same_file "$folder/控え.$kind"
done
cp "$work/deb/$folder/控え.CSV" "$work/win/$folder/他方.CSV"
cp "$work/win/$folder/控え.CSV" "$work/deb/$folder/他方.CSV"
same_output "$folder" restore 他方.CSV
same_output "$folder" backup 戻し.CSV --row 1
same_file "$folder/戻し.CSV"
check
cmp -s "$work/deb/$folder/戻し.CSV" "$work/deb/$folder/控え.CSV" || fail "a restored backup differs"

# An electronic certificate read into the list: the same report, the same records.
for side in deb win; do
    python3 - "$work/$side/$folder/車検証.json" <<'PY'
import json, sys
info = {"CarNo": "MK53S-912345", "EntryNoCarNo": "練馬　５８０　あ　５６７８",
        "ValidPeriodExpirdateE": "令　和", "ValidPeriodExpirdateY": "元",
        "ValidPeriodExpirdateM": " 5", "ValidPeriodExpirdateD": "1",
        "OwnernameHighLevelChar": "髙橋　花子", "OwnernameLowLevelChar": "高橋　花子",
        "UsernameHighLevelChar": "＊＊＊", "UsernameLowLevelChar": "＊＊＊"}
with open(sys.argv[1], "w", encoding="utf-8-sig") as file:
    json.dump({"CertInfoImportFileVersion": "1.0", "CertInfo": info}, file, ensure_ascii=False)
PY
done
same_output "$folder" import-certificate 車検証.json
same_output "$folder" backup 車検証後.CSV --row 1
same_file "$folder/車検証後.CSV"

# Moving in from an old installation's Paradox tables.
for side in deb win; do
    mkdir -p "$work/$side/旧/CARDATA"
    "$paradox" "$work/deb/$folder/CARDATA" "$work/$side/旧/CARDATA" || fail "paradoxsample"
    cp "$work/deb/$folder"/*.INI "$work/deb/$folder"/*.jpg "$work/$side/旧/"
done
same_output . import-paradox 旧 新
same_output 新 backup 取込.CSV --row 1
same_file 新/取込.CSV

# Postal codes on the national list.
for side in deb win; do cp "$postal_list" "$work/$side/$folder/KEN_ALL.CSV"; done
for address in 東京都千代田区千代田 北海道札幌市中央区 大阪府大阪市北区梅田 沖縄県那覇市; do
    same_output "$folder" postal "$address"
done

# Printer calibration.
# Its marks and rulers lie within 0.1 mm; its lines of explanation end up to
# 2 pt apart, where Windows' font engine gives some Latin letters and digits of
# IPAGothic slightly wider advances even by design metrics.
same_output "$folder" calibrate --pdf 調整.pdf
same_pages "$folder/調整.pdf" 2.0
same_output "$folder" calibrate --measured 30.2,40.1,180.6,250.3 --group 2

if [ -s "$work/crashes.log" ]; then
    cat "$work/crashes.log" >&2
    fail "the Windows program crashed (wine's backtrace above)"
fi
echo "windows end to end: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
