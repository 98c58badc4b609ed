#!/usr/bin/env bash
# Starts the real program under Xvfb with a lexicon open, lets it save a
# picture of its main window, and checks that the window drew: a PNG of the
# window's size that is not one flat colour. The PNG stays for a look.
set -euo pipefail
program=$1 lexicon=$2 picture=$3
rm -f "$picture"
LEXMANAGER_SCREENSHOT="$picture" timeout 60 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$lexicon" /F
python3 - "$picture" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
width, height = struct.unpack(">II", data[16:24])
assert width >= 640 and height >= 400, f"window too small: {width}x{height}"
pixels, i = b"", 8
while i < len(data):
    length, kind = struct.unpack(">I4s", data[i:i + 8])
    if kind == b"IDAT":
        pixels += data[i + 8:i + 8 + length]
    i += 12 + length
raw = zlib.decompress(pixels)
assert len(set(raw)) > 16, "the window is blank"
print(f"screenshot {width}x{height}: {sys.argv[1]}")
PY
