#!/usr/bin/env bash
# Installs what is missing, builds, creates the sample program folder sample/ when
# it does not exist, and starts the program in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DMIVORA_TESTS=OFF -DMIVORA_BENCH=OFF >/dev/null
cmake --build build-run --target mivora -j"$(nproc)"
[ -d sample ] || ./build-run/mivora init sample
cd sample
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "画面 (DISPLAY) がありません。デスクトッププログラムの代わりに、画面なしで使えるコマンドを示します。"
    echo "(sample/ フォルダで ../build-run/mivora COMMAND として実行できます)"
    ../build-run/mivora --help
    exit 0
fi
exec ../build-run/mivora
