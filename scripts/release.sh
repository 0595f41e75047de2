#!/usr/bin/env bash
# Makes the release from a fresh build tree (build/release):
#   dist/Clearpane-<version>-win64.zip  Clearpane.exe and README.txt
#   dist/SHA256SUMS                     the zip's and the program's SHA-256
# Two runs on one commit give the same bytes, wherever the clone lies and
# whenever they run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build/release"
dist="$root/dist"
"$root/scripts/setup.sh"

if [ -n "$(git -C "$root" status --porcelain)" ]; then
  echo "release: the work tree has uncommitted changes; this is not the commit's release" >&2
fi

rm -rf "$out"
mkdir -p "$root/build"
# CMake reads presets from the current directory: from the root, wherever this runs.
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release -j 2 >/dev/null)

# The version is project()'s in CMakeLists.txt; the file name takes three parts.
version_part() { sed -n "s/^CMAKE_PROJECT_VERSION_$1:STATIC=//p" "$out/CMakeCache.txt"; }
version="$(version_part MAJOR).$(version_part MINOR).$(version_part PATCH)"
zip_name="Clearpane-$version-win64.zip"

# The README tells users the zip's name; it must be this one.
named="$(grep -o 'Clearpane-[0-9][0-9.]*-win64\.zip' "$root/README.md" | sort -u)"
if [ "$named" != "$zip_name" ]; then
  echo "release: README.md names ${named//$'\n'/, } but the release is $zip_name" >&2
  exit 1
fi

# README.txt: the README's part for Windows users, between its two marks, as
# plain text for Notepad (a UTF-8 mark, CR LF). Tables become one entry per
# row: "- first (middle cells): last".
readme_txt() {
  awk '
    function out(line) { if (line == "" && (blank || !started)) return
                         blank = (line == ""); started = 1; lines[++count] = line }
    function inline(text) {
      gsub(/`/, "", text); gsub(/\*\*/, "", text)
      while (match(text, /\[[^]]*\]\([^)]*\)/)) {
        link = substr(text, RSTART + 1, RLENGTH - 2); k = index(link, "](")
        text = substr(text, 1, RSTART - 1) substr(link, 1, k - 1) " (" substr(link, k + 2) ")" \
               substr(text, RSTART + RLENGTH)
      }
      return text
    }
    # Characters, not bytes: UTF-8 continuation bytes do not count.
    function width(text) { gsub(/[\200-\277]/, "", text); return length(text) }
    function underline(text, c,   u) { u = ""; while (length(u) < width(text)) u = u c; return u }
    function wrapped(text, indent,   n, w, i, line) {
      n = split(text, w, " "); line = w[1]
      for (i = 2; i <= n; i++) {
        if (width(line) + 1 + width(w[i]) > 94) { out(line); line = indent w[i] }
        else line = line " " w[i]
      }
      out(line)
    }
    NR == 1 && /^# / { title = substr($0, 3); next }
    /^<!-- README.txt begins/ { inside = 1; out(title); out(underline(title, "="))
                                out(""); next }
    /^<!-- README.txt ends/ { inside = 0; next }
    !inside { next }
    /^!\[/ { next }
    /^## / { out(""); t = inline(substr($0, 4)); out(t); out(underline(t, "=")); next }
    /^### / { out(""); t = inline(substr($0, 5)); out(t); out(underline(t, "-")); next }
    /^\|/ {
      if (!in_table) { in_table = 1; next }           # the header row
      if ($0 ~ /^\|[-| ]*$/) next                       # the rule under it
      n = split($0, cell, "|"); entry = "- " inline(cell[2]); middle = ""
      for (i = 3; i < n - 1; i++) {
        c = inline(cell[i]); gsub(/^ +| +$/, "", c)
        if (c != "") middle = middle (middle == "" ? "" : ", ") c
      }
      sub(/ +$/, "", entry)
      if (middle != "") entry = entry " (" middle ")"
      last = inline(cell[n - 1]); gsub(/^ +| +$/, "", last)
      wrapped(entry ": " last, "  ")
      next
    }
    { in_table = 0; out(inline($0)) }
    END {
      while (count > 0 && lines[count] == "") count--
      printf "\357\273\277"
      for (i = 1; i <= count; i++) printf "%s\r\n", lines[i]
    }
  ' "$root/README.md"
}

stage="$out/package"
mkdir -p "$stage"
cp "$out/bin/Clearpane.exe" "$stage/Clearpane.exe"
readme_txt >"$stage/README.txt"
if grep -q '`\|](\|^|\|<!--' "$stage/README.txt" || grep -q $'[^\r]$' "$stage/README.txt"; then
  echo "release: README.txt kept Markdown or lacks CR LF; teach readme_txt the new construct" >&2
  exit 1
fi

# A zip's entries carry their time (local, to the 2 s), order and Unix
# permissions: all fixed here, and nothing else (-X) nor folders (-D).
commit_time="$(git -C "$root" log -1 --format=%ct)"
chmod 0755 "$stage/Clearpane.exe"
chmod 0644 "$stage/README.txt"
touch -d "@$commit_time" "$stage/Clearpane.exe" "$stage/README.txt"
rm -rf "$dist"
mkdir -p "$dist"
(cd "$stage" && TZ=UTC zip -X -D -9 -q "$dist/$zip_name" Clearpane.exe README.txt)
{
  (cd "$dist" && sha256sum "$zip_name")
  (cd "$stage" && sha256sum Clearpane.exe)
} >"$dist/SHA256SUMS"

echo "release: dist/$zip_name and dist/SHA256SUMS"
cat "$dist/SHA256SUMS"
