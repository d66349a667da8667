#!/usr/bin/env bash
# File names travel through the program as UTF-8 text; Windows reads a path made
# from a plain narrow string in the PC's code page, so a Japanese name becomes
# another name or none. Only src/platform converts (pathOf, pathText): this
# fails, naming the place, when a path is made from narrow text anywhere else.
#   tests/source/narrowpaths.sh SOURCE_DIR BUILD_DIR   (BUILD_DIR has compile_commands.json)
set -euo pipefail
source_dir=$(realpath "$1")
build_dir=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)

# The program's own files as this build compiles them.
mapfile -t files < <(grep -o '"file": *"[^"]*"' "$build_dir/compile_commands.json" |
    sed 's/.*"\([^"]*\)"$/\1/' | grep "^$source_dir/src/" | grep -v "^$source_dir/src/platform/" |
    sort -u)
[ "${#files[@]}" -gt 50 ] || { echo "no sources found in $build_dir/compile_commands.json" >&2; exit 1; }

report=$(printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -n 8 clang-query -p "$build_dir" -f "$here/narrowpaths.query" 2>&1)
if grep -q 'binds here' <<<"$report"; then
    grep -A2 'binds here' <<<"$report" | sed "s|$source_dir/||"
    echo "A path made from narrow text: use pathOf(folder, utf8Name) from platform/paths.h." >&2
    exit 1
fi
if grep -q 'error:' <<<"$report" || ! grep -q '^[0-9]* match' <<<"$report"; then
    echo "$report" | grep -m 20 'error:\|Skipping' >&2 || echo "$report" | tail -20 >&2
    exit 1
fi
echo "${#files[@]} files: no path made from narrow text"
