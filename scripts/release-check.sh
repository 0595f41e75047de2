#!/usr/bin/env bash
# Makes the release and checks it against the program the tests run
# (build/mingw/bin/Clearpane.exe): the zip holds Clearpane.exe and README.txt
# and nothing else, its program is that one byte for byte, and SHA256SUMS
# names both files and matches them once unzipped beside it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tested="$root/build/mingw/bin/Clearpane.exe"
dist="$root/dist"

fail() { echo "release check failed: $*" >&2; exit 1; }

[ -f "$tested" ] || fail "no tested program at $tested"
"$root/scripts/release.sh"

zips=("$dist"/Clearpane-*-win64.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || fail "dist/ should hold one zip: ${zips[*]}"
zip="${zips[0]}"
zip_name="$(basename "$zip")"

entries="$(unzip -Z1 "$zip")"
[ "$entries" = $'Clearpane.exe\nREADME.txt' ] || fail "$zip_name holds: ${entries//$'\n'/, }"

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
cmp -s "$unpacked/Clearpane.exe" "$tested" || fail "the zip's Clearpane.exe is not the tested $tested"

named="$(cut -c67- "$dist/SHA256SUMS")"
[ "$named" = "$zip_name"$'\nClearpane.exe' ] || fail "SHA256SUMS names: ${named//$'\n'/, }"
cp "$zip" "$dist/SHA256SUMS" "$unpacked/"
(cd "$unpacked" && sha256sum --check --quiet --strict SHA256SUMS) || fail "sha256sum -c SHA256SUMS"

echo "release check: $zip_name holds the tested Clearpane.exe and README.txt; SHA256SUMS checks"
