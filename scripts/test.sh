#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs each fuzz target for a few seconds (scripts/fuzz.sh), every test with CTest,
# then the Windows build's tests under wine (scripts/windows-test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMIVORA_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/fuzz.sh 18
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
unset QT_QPA_PLATFORM
bash scripts/windows-test.sh build-test
