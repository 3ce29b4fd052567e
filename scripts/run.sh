#!/usr/bin/env bash
# Builds the editor (Release) and starts it; arguments go to the editor (a
# fixture file to open). It may be started from any folder: a file named on the
# command line is found from the folder it was started in.
set -euo pipefail

# File arguments as absolute paths, since the build runs in the repository.
arguments=()
for argument in "$@"; do
  if [[ -n "$argument" && "$argument" != -* && "$argument" != /* ]]; then
    argument="$PWD/$argument"
  fi
  arguments+=("$argument")
done
root=$(cd "$(dirname "$0")/.." && pwd)

# Without a display there is nothing to show the editor on: say so before the
# first build, which takes minutes.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "There is no display to show the editor on." >&2
  echo "Without one, run it under a virtual display:" >&2
  echo "  BRANNOC_WITH_DISPLAY=1 $(printf '%q' "$root/scripts/deps.sh") && xvfb-run -a$(printf ' %q' "$root/scripts/run.sh" "${arguments[@]}")" >&2
  exit 1
fi

cd "$root"
scripts/deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only the program (and the channel names put beside it), not the tests.
cmake --build "$build" -j "$(nproc)" --target brannoc512

program="$build/src/windows/shell/brannoc512"
if [[ ! -x "$program" ]]; then
  echo "The editor is not built yet: only the data side and its tests exist so far." >&2
  exit 1
fi
exec "$program" "${arguments[@]}"
