#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60), one after
# the other, from seeds the program's own writers make plus what earlier runs
# found. Any finding fails the run.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]
#
# TARGET is fixture, led, name_set, json, qxf, gdtf or library (the fixture
# library's cache); without one, all of them run.
#
# Everything stays in build/fuzz: the seeds (made afresh), the growing corpus of
# each target (corpus/TARGET), the input of each finding (findings/TARGET/crash-*,
# timeout-*, ...) and the log of each run (logs/TARGET.log). To run a finding
# again: build/fuzz/fuzz/fuzz_TARGET build/fuzz/findings/TARGET/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

usage="Usage: scripts/fuzz.sh [SECONDS [TARGET...]]   (seconds per target, default 60;
targets: fixture led name_set json qxf gdtf library, default all)"
seconds="${1:-60}"
if [[ ! "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "$usage" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))

scripts/deps.sh

build=build/fuzz
# target  seed folder  options
targets=(
  "fixture  fixture -max_len=6200"
  "led      led     -max_len=600"
  "name_set names   -max_len=3600"
  "json     json    -max_len=65536 -dict=fuzz/json.dict"
  "qxf      qxf     -max_len=16384 -dict=fuzz/qxf.dict"
  "gdtf     gdtf    -max_len=16384 -dict=fuzz/gdtf.dict"
  "library  library -max_len=8192"
)
if (($# > 0)); then
  chosen=()
  for wanted in "$@"; do
    found=""
    for line in "${targets[@]}"; do
      read -r name _ <<<"$line"
      [[ "$name" == "$wanted" ]] && found="$line"
    done
    if [[ -z "$found" ]]; then
      echo "No fuzz target \"$wanted\"." >&2
      echo "$usage" >&2
      exit 2
    fi
    chosen+=("$found")
  done
  targets=("${chosen[@]}")
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE= \
  -DBRANNOC_FUZZ=ON -DBRANNOC_BUILD_GUI=OFF >/dev/null
names=()
for line in "${targets[@]}"; do
  read -r name _ <<<"$line"
  names+=("fuzz_$name")
done
cmake --build "$build" -j "$(nproc)" --target "${names[@]}" brannoc_fuzz_seeds

rm -rf "$build/seeds"
"$build/fuzz/brannoc_fuzz_seeds" "$build/seeds"
# Beside the import's own seeds, a spread of small definitions from QLC+'s
# library when Debian's qlcplus-data is there: every 40th of those under 6 KB.
library=/usr/share/qlcplus/fixtures
if [[ -d "$library" ]]; then
  find "$library" -name '*.qxf' -size -6k -printf '%s\t%p\n' | sort -k1,1n -k2 | awk -F'\t' 'NR % 40 == 1 { print $2 }' |
    while IFS= read -r definition; do cp "$definition" "$build/seeds/qxf/"; done
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The value after `key` in libFuzzer's last status line: "cov: 512" -> 512.
field() { grep -E "^#[0-9]+" "$1" | grep -oE "$2 [0-9]+(/[0-9]+[a-zA-Z]*)?" | tail -1 | cut -d' ' -f2; }

failed=()
summary=()
for line in "${targets[@]}"; do
  read -r name seeds options <<<"$line"
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "== fuzz_$name for ${seconds} s"
  status=0
  # shellcheck disable=SC2086  # the options are words
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" $options "$corpus" "$build/seeds/$seeds" >"$log" 2>&1 || status=$?
  runs=$(grep -oE "stat::number_of_executed_units: [0-9]+" "$log" | tail -1 | cut -d' ' -f2)
  result="fuzz_$name: ${runs:-?} executions, coverage $(field "$log" cov:) edges, $(field "$log" ft:) features,"
  result+=" corpus $(field "$log" corp:) (inputs/size)"
  if ((status != 0)); then
    result+=", FINDING (exit status $status)"
    failed+=("$name")
    grep -E "^(==[0-9]+==ERROR|SUMMARY|Property broken|artifact_prefix|Test unit written)" "$log" | sed 's/^/   /' || true
    echo "   whole log: $log"
  else
    result+=", no finding"
  fi
  echo "$result"
  summary+=("$result")
done

echo
printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "Findings in: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
