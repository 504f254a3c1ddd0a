#!/usr/bin/env bash
# Times the workflows against the floor their timers set (tests/ds/ds_ui_timing_test.cpp): index all of 40
# frames, a standard frame, an extended preview and whole frame, with lx9emu's realistic timing and with
# --fast, and the data source's own processing of a standard frame. Prints one table.
#
#   tools/measure-timings.sh [--build DIR]     (default: build/win32 where 32-bit Wine runs, else build/win64)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: $0 [--build DIR]" >&2; exit 2 ;;
  esac
done
if [ -z "$build" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then build=$root/build/win32; else build=$root/build/win64; fi
fi
arch=win32
[ "$(basename "$build")" = win64 ] && arch=win64
program=$build/bin/ds_ui_timing_test.exe
[ -f "$program" ] || { echo "measure-timings.sh: no $program (build it first)" >&2; exit 2; }
export LX9EMU=${LX9EMU:-$root/build/native/bin/lx9emu}
export LX9_SOURCE_DIR=$root LX9_BINARY_DIR=$build
prefix=$build/wineprefix-timing
wine_run=("$root/tools/wine-run.sh" --prefix "$prefix" --arch "$arch")
"${wine_run[@]}" --start >/dev/null
trap '"${wine_run[@]}" --stop >/dev/null 2>&1 || true' EXIT

for timing in realistic fast; do
  fast=()
  [ $timing = fast ] && fast=(--fast)
  echo "== lx9emu timing: $timing"
  "$root/tools/with-emulator.sh" --prefix "$prefix" "${fast[@]}" --standby on --cartridge 40 --film negative \
    --buffer-size 4194304 -- \
    "$root/tests/ds/ds_ui_control_bridge.sh" -- "${wine_run[@]}" -- "$program" 2>&1 |
    grep -E '^TIMING|Failure|more than a tenth|FAILED' || true
done
