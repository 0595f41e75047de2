#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine.
set -euo pipefail
packages=(cmake ninja-build gcc g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32
          binutils-mingw-w64-x86-64 clang lld wine wine64 xvfb x11-utils xdotool imagemagick googletest flock
          zip unzip git)
missing=()
for p in "${packages[@]}"; do
  [ "$p" = flock ] && { command -v flock >/dev/null || missing+=(util-linux); continue; }
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
