#!/usr/bin/env bash
# Renders the two tray icons from their SVG drawings into .ico files whose
# six images (16 to 256 px, 32-bit RGBA) are stored as PNG.
# Run after editing an SVG and commit the .ico files with it; the build
# only reads the .ico files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sizes=(16 32 48 64 128 256)

if ! command -v rsvg-convert >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "make-icons.sh: rsvg-convert is missing; install librsvg2-bin" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq librsvg2-bin
fi
if ! command -v python3 >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "make-icons.sh: python3 is missing" >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq python3
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for name in idle filtered; do
  pngs=()
  for size in "${sizes[@]}"; do
    png="$work/$name-$size.png"
    rsvg-convert --width "$size" --height "$size" --format png \
      --output "$png" "$here/icon-$name.svg"
    pngs+=("$png")
  done
  python3 - "$here/$name.ico" "${pngs[@]}" <<'PY'
import struct
import sys

out, pngs = sys.argv[1], sys.argv[2:]
images = []
for path in pngs:
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"{path}: not a PNG")
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    # Windows only takes PNG icon images that are 8-bit RGBA.
    if depth != 8 or colour != 6:
        sys.exit(f"{path}: PNG is not 8-bit RGBA (depth {depth}, colour type {colour})")
    if width != height or width > 256:
        sys.exit(f"{path}: unexpected size {width}x{height}")
    images.append((width, data))

# ICONDIR, then one ICONDIRENTRY per image (0 in the size bytes means 256),
# then the PNG streams in the same order.
header = struct.pack("<HHH", 0, 1, len(images))
offset = len(header) + 16 * len(images)
entries = b""
for width, data in images:
    side = width % 256
    entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(out, "wb") as f:
    f.write(header + entries + b"".join(data for _, data in images))
PY
  echo "wrote $here/$name.ico"
done
