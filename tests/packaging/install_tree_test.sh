#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree: the
# files and nothing else, the menu entry, the ".tff" file type, the icon, the
# built-in names, and that the installed program, started as a user with a home
# of its own, keeps the vocabulary in the user's data folder and not beside
# itself.
#   install_tree_test.sh BUILD_DIR SOURCE_DIR [CMAKE]
set -euo pipefail
build=$1
source=$2
cmake=${3:-cmake}

work=$(mktemp -d)
program_pid=
cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/deps.sh installs it)" >&2; exit 1; }; }
need desktop-file-validate
need xmllint
need update-mime-database

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

# --- the files, and nothing else
expected=(
  bin/brannoc512
  bin/tfftool
  share/applications/brannoc512.desktop
  share/brannoc512/ChNameSet.fix
  share/doc/brannoc512/README.md
  share/doc/brannoc512/changelog.gz
  share/doc/brannoc512/copyright
  share/icons/hicolor/scalable/apps/brannoc512.svg
  share/man/man1/brannoc512.1.gz
  share/man/man1/tfftool.1.gz
  share/mime/packages/brannoc512.xml
)
# The pictures the README shows travel with it.
while read -r picture; do
  expected+=("share/doc/brannoc512/$picture")
done < <(grep -o '](docs/[^)]*\.png)' "$source/README.md" | sed 's/^](//; s/)$//' | sort -u)
want=$(printf '%s\n' "${expected[@]}" | sort)
have=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
[[ "$have" == "$want" ]] || fail "installed files differ from the expected ones:
$(diff <(echo "$want") <(echo "$have") || true)"
for program in brannoc512 tfftool; do
  [[ -x "$prefix/bin/$program" ]] || fail "bin/$program is not executable"
done
"$prefix/bin/tfftool" --help >/dev/null || fail "the installed tfftool does not run"

# --- the built-in names: 253 records of 14 bytes, slot 0 "Pan" with code 6
names=$prefix/share/brannoc512/ChNameSet.fix
[[ $(stat -c %s "$names") == 3542 ]] || fail "ChNameSet.fix is $(stat -c %s "$names") bytes, not 3542"
[[ $(head -c 14 "$names" | od -An -tx1 | tr -d ' \n') == 000650616e202020202020202020 ]] ||
  fail "ChNameSet.fix does not start with Pan and its code 6"

# --- the changelog and the manual pages: compressed at gzip's best, without a
# name or a time stamp (flags byte 0, time 0, extra flags 2); the changelog's
# first entry is this version; each page names its program.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
for gz in share/doc/brannoc512/changelog.gz share/man/man1/brannoc512.1.gz share/man/man1/tfftool.1.gz; do
  [[ $(head -c 10 "$prefix/$gz" | od -An -tx1 | tr -d ' \n') == 1f8b0800000000000203 ]] ||
    fail "$gz is not compressed with gzip -9n"
done
[[ $(gzip -dc "$prefix/share/doc/brannoc512/changelog.gz" | head -1) == "brannoc512 ($version) unstable; urgency=medium" ]] ||
  fail "the changelog does not start with version $version: $(gzip -dc "$prefix/share/doc/brannoc512/changelog.gz" | head -1)"
for program in brannoc512 tfftool; do
  gzip -dc "$prefix/share/man/man1/$program.1.gz" | grep -q "^\.TH ${program^^} 1 .*\"brannoc512 $version\"" ||
    fail "the manual page of $program has no title line for version $version"
done

# --- the licence: Apache-2.0, in Debian's form for the package, whole in the source
copyright=$prefix/share/doc/brannoc512/copyright
grep -qx "License: Apache-2.0" "$copyright" || fail "the copyright file does not name Apache-2.0"
grep -q '/usr/share/common-licenses/Apache-2.0' "$copyright" || fail "the copyright file does not point at Debian's text"
grep -q "libzip" "$copyright" || fail "the copyright file lacks libzip's notice"
grep -q "Copyright 2026 the Brannoc-512 editor authors" "$source/LICENSE" || fail "LICENSE lacks the copyright line"
if [[ -f /usr/share/common-licenses/Apache-2.0 ]]; then
  tail -n "$(wc -l </usr/share/common-licenses/Apache-2.0)" "$source/LICENSE" | cmp -s - /usr/share/common-licenses/Apache-2.0 ||
    fail "LICENSE does not end with the whole text of the Apache License 2.0"
fi

# --- the menu entry
desktop=$prefix/share/applications/brannoc512.desktop
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rejects the entry: $report"
[[ -z "$report" ]] || fail "desktop-file-validate has remarks: $report"
field() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(field Exec) == "brannoc512 %f" ]] || fail "Exec is '$(field Exec)'"
[[ $(field GenericName) == "DMX Fixture Editor" ]] || fail "GenericName is '$(field GenericName)'"
[[ -n $(field Categories) ]] || fail "no Categories"
icon=$(field Icon)
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "no icon named '$icon' is installed"

# --- the icon: a well-formed SVG
svg=$prefix/share/icons/hicolor/scalable/apps/brannoc512.svg
xmllint --noout "$svg" || fail "the icon is not well-formed XML"
[[ $(xmllint --xpath 'local-name(/*)' "$svg") == svg ]] || fail "the icon is not an SVG"

# --- the file type: well-formed, the one the menu entry names, and one that
# shared-mime-info turns into a "*.tff" glob
mime=$prefix/share/mime/packages/brannoc512.xml
xmllint --noout "$mime" || fail "the file type is not well-formed XML"
type=$(xmllint --xpath 'string(/*[local-name()="mime-info"]/*[local-name()="mime-type"]/@type)' "$mime")
[[ "$(field MimeType)" == "$type;" ]] || fail "the menu entry opens '$(field MimeType)', the file type is '$type'"
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database fails on the file type"
grep -qx "[0-9]*:$type:\*\.tff" "$prefix/share/mime/globs2" 2>/dev/null ||
  fail "the database built from it has no *.tff glob for $type"

# --- started without a home folder: the installed names are used read-only and
# it says so; nothing is written beside the program or into share/.
(cd "$work" && exec env -u XDG_DATA_HOME -u HOME "$prefix/bin/brannoc512" >"$work/out-homeless" 2>&1) &
program_pid=$!
for _ in $(seq 1 50); do
  grep -q "used and cannot be changed" "$work/out-homeless" 2>/dev/null && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
sleep 1
kill -0 "$program_pid" 2>/dev/null || fail "the installed program ended at a start without a home: $(cat "$work/out-homeless")"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=
grep -q "the installed names in .* are used and cannot be changed" "$work/out-homeless" ||
  fail "a start without a home does not say which names it uses: $(cat "$work/out-homeless")"
[[ $(ls -A "$prefix/bin" | sort | tr '\n' ' ') == "brannoc512 tfftool " ]] ||
  fail "a start without a home wrote beside the installed program: $(ls -A "$prefix/bin")"

# --- the installed program, started by a user: the vocabulary is seeded into
# the user's data folder; nothing is written beside the program.
home=$work/home
mkdir -p "$home"
(cd "$work" && exec env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/brannoc512" >"$work/out" 2>&1) &
program_pid=$!
seeded=$home/.local/share/brannoc512/ChNameSet.fix
for _ in $(seq 1 300); do
  [[ -s "$seeded" ]] && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
# Give the fixture editor time to load the set it found.
sleep 1
kill -0 "$program_pid" 2>/dev/null || fail "the installed program ended at start: $(cat "$work/out")"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=
cmp -s "$seeded" "$names" || fail "the user's ChNameSet.fix is not the installed one"
[[ $(ls -A "$prefix/bin" | sort | tr '\n' ' ') == "brannoc512 tfftool " ]] ||
  fail "something was written beside the installed program: $(ls -A "$prefix/bin")"

if ((failures)); then
  exit 1
fi
echo "The installed tree is complete."
