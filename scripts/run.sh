#!/usr/bin/env bash
# Installs what is missing, builds, creates the sample program folder sample/ when
# it does not exist, and starts the program in it; without a display it prints the
# sample vehicle into sample/sample-print.pdf instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DMIVORA_TESTS=OFF -DMIVORA_BENCH=OFF >/dev/null
cmake --build build-run --target mivora -j"$(nproc)"
[ -d sample ] || ./build-run/mivora init sample
cd sample
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "画面 (DISPLAY) がありません。デスクトッププログラムの代わりに、サンプルの車両を PDF に印刷します。"
    ../build-run/mivora print --pdf sample-print.pdf
    echo
    echo "画面なしで使えるコマンドは次のとおりです (sample/ フォルダで ../build-run/mivora COMMAND として実行できます)。"
    ../build-run/mivora --help
    exit 0
fi
exec ../build-run/mivora
