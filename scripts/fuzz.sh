#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang in build-fuzz (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 20) from its seed
# corpus; new inputs collect in build-fuzz/corpus/. A finding stops the script
# with the crashing input saved in build-fuzz/.
#   bash scripts/fuzz.sh            a smoke test, as the test command runs it
#   bash scripts/fuzz.sh 3600       an hour per target
#   bash scripts/fuzz.sh 600 postal only the named targets
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
    for dir in fuzz/*/; do targets+=("$(basename "$dir")"); done
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIVORA_FUZZ=ON -DMIVORA_SANITIZE=ON -DMIVORA_TESTS=OFF -DMIVORA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_targets >/dev/null
# Bytes an input may have: a few times the largest seed.
declare -A max_len=([cp932]=1024 [filter]=512 [formimage]=4096 [paradox]=8192 [postal]=4096
    [postalzip]=16384 [resolver]=512 [restore]=4096 [settings]=2048)
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
for name in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$name"
    log=build-fuzz/fuzz_$name.log
    echo "== fuzz_$name: $seconds s"
    if ! (cd build-fuzz && ./fuzz/fuzz_"$name" -max_total_time="$seconds" -timeout=10 \
        -max_len="${max_len[$name]:-4096}" -rss_limit_mb=1024 -print_final_stats=1 \
        "corpus/$name" "../fuzz/$name/corpus" \
        >"fuzz_$name.log" 2>&1); then
        tail -n 60 "$log"
        exit 1
    fi
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log"
done
