#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs each fuzz target for a few seconds (scripts/fuzz.sh), every test with CTest,
# the store and session tests under ThreadSanitizer, then the Windows build's tests
# under wine (scripts/windows-test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DMIVORA_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/fuzz.sh 12
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
# The store and session tests again under ThreadSanitizer: a whole-table read
# converts and sorts on second threads.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DMIVORA_TSAN=ON -DMIVORA_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target test_store test_session
export TSAN_OPTIONS=halt_on_error=1 GTEST_TOTAL_SHARDS=2
GTEST_SHARD_INDEX=0 build-tsan/tests/test_store --gtest_brief=1 &
GTEST_SHARD_INDEX=1 build-tsan/tests/test_store --gtest_brief=1
wait $!
unset GTEST_TOTAL_SHARDS
build-tsan/tests/test_session --gtest_brief=1
unset TSAN_OPTIONS
unset QT_QPA_PLATFORM
bash scripts/windows-test.sh build-test
