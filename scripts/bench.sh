#!/usr/bin/env bash
# Builds the editor (Release) and runs its benchmark under a virtual display:
# the heaviest user actions in the real windows against a bare-Qt floor, and the
# start-up to the first frame. Options go to the benchmark, e.g.
#   scripts/bench.sh --runs 61 --only palette
# Timings mean most on an idle machine; the load average is printed first.
set -euo pipefail
cd "$(dirname "$0")/.."

BRANNOC_WITH_BENCH=1 scripts/deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRANNOC_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target brannoc_bench

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
unset QT_QPA_PLATFORM
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
xvfb-run -a -s "-screen 0 2048x1200x24" "$build/bench/brannoc_bench" "$@"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
