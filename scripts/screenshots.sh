#!/usr/bin/env bash
# Takes the README's pictures of the four editors again (docs/*.png), from the
# program as it is now, under a virtual display: the fixture editor with a
# 12-channel spot open and its Edit menu showing, the palette editor with a
# preset open, the channel name editor and the LED fixture editor. Look at them
# before committing them.
set -euo pipefail
cd "$(dirname "$0")/.."

BRANNOC_WITH_DISPLAY=1 scripts/deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRANNOC_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target brannoc_screenshots tfftool seed_names

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The fixture shown, written with tfftool: only its own 12 channels listed.
cat >"$work/Spot575.json" <<'JSON'
{"kind": "fixture", "name": "Spot 575", "channel_count": 12, "max_pan_degree": 540,
 "channels": [
  {"name": "Pan", "name_code": 6, "type": 5, "partner": 2},
  {"name": "Tilt", "name_code": 7, "type": 6},
  {"name": "Dimmer", "name_code": 3, "type": 1, "value": 255},
  {"name": "Colour", "name_code": 9, "type": 2},
  {"name": "Gobo", "name_code": 12, "type": 2},
  {"name": "GoboRot", "name_code": 14},
  {"name": "Prism", "name_code": 26, "type": 2},
  {"name": "Focus", "name_code": 10},
  {"name": "Zoom", "name_code": 11},
  {"name": "Shutter", "name_code": 4, "type": 2},
  {"name": "Iris", "name_code": 5},
  {"name": "Macros", "name_code": 28, "type": 2}],
 "steps": [[], [], [], [], [
  {"from": 0, "to": 15, "name": "Open"}, {"from": 16, "to": 31, "name": "Gobo 1"},
  {"from": 32, "to": 47, "name": "Gobo 2"}, {"from": 48, "to": 63, "name": "Gobo 3"}],
  [], [], [], [], [], [], []],
 "palettes": [{"name": "Beam", "members": [3, 5, 7], "presets": [
  {"name": "Open", "values": [0,0,200,0,64,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]},
  {"name": "Gobo1", "values": [0,0,255,0,20,0,128,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]},
  {}, {}, {}, {}, {}, {}, {}, {}]}, {}, {}, {}, {}, {}, {}, {}, {}, {}]}
JSON
"$build/tools/tfftool/tfftool" build "$work/Spot575.json" "$work/Spot575.tff"
"$build/tools/seed_names/seed_names" "$work"

runtime=$(mktemp -d)
trap 'rm -rf "$work" "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/brannoc_screenshots" "$work/Spot575.tff" "$work" docs
