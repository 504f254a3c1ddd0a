#!/usr/bin/env bash
# Screenshots of the main window for docs/screens: the Screens suite of ds_ui_main_window_test under Xvfb,
# with a Wine prefix of its own that uses the X11 driver, against a fresh emulator per picture. Needs Xvfb
# and python3 (the BMP captures become PNG files); the i686 build's test program.
#
#   tests/ds/ds_ui_screens.sh BUILD-DIR          (e.g. build/win32)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
program=$build/bin/ds_ui_main_window_test.exe
prefix=$build/wineprefix-x11
out=$root/docs/screens
[ -x "$program" ] || { echo "ds_ui_screens.sh: no $program" >&2; exit 2; }
mkdir -p "$out" "$build/artifacts/screens"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  DISPLAY=$display "$root/tools/wine-run.sh" --prefix "$prefix" --display --stop || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
export DISPLAY=$display LX9_SCREENSHOTS=1 LX9_SOURCE_DIR=$root LX9_BINARY_DIR=$build
export LX9EMU=${LX9EMU:-$root/build/native/bin/lx9emu}

wine=("$root/tools/wine-run.sh" --prefix "$prefix" --display)
"${wine[@]}" --start
shoot() {  # shoot FILTER emulator-options...
  local filter=$1
  shift
  "$root/tools/with-emulator.sh" --prefix "$prefix" "$@" -- "${wine[@]}" -- "$program" --gtest_filter="$filter"
}
shoot 'Screens.MainWindow*' --fast --standby on --cartridge 25 --film negative
shoot 'Screens.SecondPage*' --fast --standby on --cartridge 40 --film negative

# 24-bit bottom-up BMP to an RGB PNG, with nothing but the standard library.
for bmp in "$build"/artifacts/screens/*.bmp; do
  name=$(basename "$bmp" .bmp)
  python3 - "$bmp" "$out/$name.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height = struct.unpack_from("<ii", data, 18)
stride = (width * 3 + 3) & ~3
rows = []
for y in range(abs(height)):
    row = data[offset + (abs(height) - 1 - y) * stride:][:width * 3]
    rows.append(b"\0" + b"".join(row[x * 3:x * 3 + 3][::-1] for x in range(width)))  # BGR to RGB
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff)
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
PY
  echo "$out/$name.png"
done
