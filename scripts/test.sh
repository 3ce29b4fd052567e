#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test. Any sanitizer report fails the run. Then, when clang is there, each
# fuzz target runs for a few seconds on its seeds (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build/sanitize
# Every target, tests included; a compiler warning fails the build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRANNOC_SANITIZE=ON -DBRANNOC_BUILD_TESTS=ON \
  -DBRANNOC_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

# The longest tests run beside the others: gdtf_corpus_tests imports every mode
# of the 5,733 GDTF descriptions in ../shared/corpora when they are there
# (about 60 s under the sanitizers, 6 s in a Release build; skipped without
# them), qxf_corpus_tests all 3,706 modes of Debian's qlcplus-data (about 30 s).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

if command -v clang++ >/dev/null; then
  scripts/fuzz.sh 10
fi
