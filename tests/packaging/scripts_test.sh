#!/usr/bin/env bash
# What a newcomer meets first: scripts/run.sh started from another folder
# without a display, scripts/deps.sh as a user without root, and a build
# configured for installation, which needs no GoogleTest and builds no tests.
#   scripts_test.sh SOURCE_DIR [CMAKE]
set -euo pipefail
source=$1
cmake=${2:-cmake}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Stand-ins that record being called.
stubs=$work/stubs
mkdir -p "$stubs"
for tool in cmake apt-get; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/called"\n' "$tool" "$work" >"$stubs/$tool"
done
printf '#!/bin/sh\necho "sudo $*" >>"%s/called"\n' "$work" >"$stubs/sudo"
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"  # nothing is installed
printf '#!/bin/sh\necho 1000\n' >"$stubs/id"       # not root
ln -s "$(command -v grep)" "$stubs/grep"
chmod +x "$stubs"/*

# --- run.sh from another folder, without a display: the hint names the script
# and the file by absolute paths, and nothing is installed or built first.
mkdir -p "$work/elsewhere"
status=0
(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$stubs:$PATH" \
  "$source/scripts/run.sh" "My Spot.tff" >"$work/out" 2>&1) || status=$?
[[ $status == 1 ]] || fail "run.sh without a display exits $status"
root=$(cd "$source" && pwd)
want="  BRANNOC_WITH_DISPLAY=1 $root/scripts/deps.sh && xvfb-run -a $root/scripts/run.sh $work/elsewhere/My\\ Spot.tff"
grep -qxF -- "$want" "$work/out" || fail "run.sh's hint is not '$want':
$(cat "$work/out")"
[[ ! -e "$work/called" ]] || fail "run.sh without a display ran: $(cat "$work/called")"

# --- deps.sh as a user without sudo: it says that root or sudo is needed.
no_sudo=$work/no-sudo
mkdir -p "$no_sudo"
cp -P "$stubs/dpkg-query" "$stubs/id" "$stubs/grep" "$stubs/apt-get" "$no_sudo/"
status=0
env PATH="$no_sudo" "$BASH" "$source/scripts/deps.sh" >"$work/out" 2>&1 || status=$?
[[ $status == 1 ]] || fail "deps.sh without root or sudo exits $status"
grep -q "^Installing them needs root or sudo, and there is no sudo here. As root, run:$" "$work/out" ||
  fail "deps.sh without root or sudo says: $(cat "$work/out")"
grep -q "^  apt-get install cmake g++ " "$work/out" || fail "deps.sh does not give the command: $(cat "$work/out")"
[[ ! -e "$work/called" ]] || fail "deps.sh without root or sudo ran: $(cat "$work/called")"
# ... and with sudo it installs through sudo.
env PATH="$stubs" "$BASH" "$source/scripts/deps.sh" >"$work/out" 2>&1 || fail "deps.sh with sudo failed: $(cat "$work/out")"
[[ $(head -1 "$work/called" 2>/dev/null) == "sudo apt-get update -qq" ]] ||
  fail "deps.sh with sudo ran: $(cat "$work/called" 2>/dev/null)"

# --- a build for installation: configured without GoogleTest, it holds the
# programs and no test, benchmark or fuzz target.
if "$cmake" -S "$source" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRANNOC_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$work/out" 2>&1; then
  targets=$("$cmake" --build "$work/build" --target help | sed -n 's/^\([A-Za-z0-9_]*\): .*/\1/p' | sort)
  for program in brannoc512 tfftool; do
    grep -qx "$program" <<<"$targets" || fail "the build for installation has no $program"
  done
  extra=$(grep -E '_tests?$|bench|fuzz|gtest|first_frame' <<<"$targets" || true)
  [[ -z "$extra" ]] || fail "the build for installation holds $(echo $extra)"
else
  fail "the build for installation cannot be configured without GoogleTest: $(tail -5 "$work/out")"
fi

if ((failures)); then
  exit 1
fi
echo "The scripts meet a newcomer as they should."
