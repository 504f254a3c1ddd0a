#!/usr/bin/env bash
# The main job, tools/scan.sh, on this build's binaries with fast device timing: the default steps on a
# 15-frame cartridge give the index sheet and four frames of the right names and sizes, with a line per step
# and the summary; a device fault, a missing build and bad options end it with the failing step named.
# Environment (set by CTest): LX9_SOURCE_DIR, LX9_BINARY_DIR, LX9EMU.
set -euo pipefail
: "${LX9_SOURCE_DIR:?}" "${LX9_BINARY_DIR:?}" "${LX9EMU:?}"
scan=$LX9_SOURCE_DIR/tools/scan.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/lx9scanjob.XXXXXX")
fault_pid=""
cleanup() {
  # An interrupted test stops its faulty run too (scan.sh stops its emulator and Wine on TERM).
  if [ -n "$fault_pid" ] && kill -0 "$fault_pid" 2>/dev/null; then kill -TERM "$fault_pid"; wait "$fault_pid" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
problem() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_line() {  # expect_line FILE PATTERN WHAT: an extended regular expression matches a line
  grep -Eq -- "$2" "$1" || problem "$3: no line matching /$2/ in $(basename "$1")"
}
png_size() {  # the width x height of a PNG file's header
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read(24)
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", "not a PNG"
print("%dx%d" % struct.unpack(">II", data[16:24]))
PY
}

# The faulty run (below) goes alongside the default steps: its own prefix, its own emulator.
fault_status=0
"$scan" --build "$LX9_BINARY_DIR" --fast --cartridge 15 --out "$work/fault" \
  --fault "status 0x71 0x10 code scan always" >"$work/fault.txt" 2>&1 &
fault_pid=$!

# --- the default steps
status=0
"$scan" --build "$LX9_BINARY_DIR" --fast --cartridge 15 --out "$work/out" >"$work/main.txt" 2>&1 || status=$?
cat "$work/main.txt"
[ "$status" = 0 ] || problem "the default steps ended with exit code $status"

# The rectangle (64, 32)-(288, 160) is exactly the area the emulator's buffer allows (224 x 128 preview
# pixels): (224 + 1) x 4 by (128 + 1) x 4 scan pixels, as the crop window shows it.
expect_line "$work/main.txt" 'extended scan +rectangle \(64, 32\)-\(288, 160\) dragged over the preview: W 900 H 516$' \
  "the crop window's values"
declare -A sizes=([index_sheet.png]=644x248 [frame_01_standard.png]=896x512 [frame_02_standard.png]=896x512
                  [frame_03_standard.png]=896x512 [frame_07_extended.png]=900x516)
for name in "${!sizes[@]}"; do
  if [ ! -f "$work/out/$name" ]; then
    problem "no $name"
  elif [ "$(png_size "$work/out/$name")" != "${sizes[$name]}" ]; then
    problem "$name is $(png_size "$work/out/$name"), expected ${sizes[$name]}"
  fi
done
[ "$(find "$work/out" -name '*.png' | wc -l)" = 5 ] || problem "other PNG files than the five: $(ls "$work/out")"
# Three frames, three different pictures: the images are not mixed up or repeated.
if [ "$(md5sum "$work/out"/frame_0[123]_standard.png 2>/dev/null | cut -d' ' -f1 | sort -u | wc -l)" != 3 ]; then
  problem "the three standard frames are not three different pictures"
fi
# A line per step as it goes: elapsed time, step, what, and the files done of the total.
for step in start-up "index sheet" "standard scan" "extended scan" end; do
  expect_line "$work/main.txt" "^\[ *[0-9]+\.[0-9] s\] $step " "the step $step"
done
expect_line "$work/main.txt" '^\[ *[0-9.]+ s\] index sheet +index_sheet.png +644x248 +[0-9.]+ s +1/5 done$' "image 1"
expect_line "$work/main.txt" '^\[ *[0-9.]+ s\] standard scan +frame_03_standard.png +896x512 +[0-9.]+ s +4/5 done$' "image 4"
expect_line "$work/main.txt" '^\[ *[0-9.]+ s\] extended scan +frame_07_extended.png +900x516 +[0-9.]+ s +5/5 done$' "image 5"
# The summary table, also kept in the output folder.
expect_line "$work/main.txt" '^file +frame +mode +size +time$' "the summary's head"
expect_line "$work/main.txt" '^index_sheet.png +1-15 +index +644x248 +[0-9.]+ s$' "the summary's index sheet"
for f in 1 2 3; do
  expect_line "$work/main.txt" "^frame_0${f}_standard.png +$f +standard +896x512 +[0-9.]+ s$" "the summary's frame $f"
done
expect_line "$work/main.txt" '^frame_07_extended.png +7 +extended +900x516 +[0-9.]+ s$' "the summary's frame 7"
expect_line "$work/main.txt" "^5 file\(s\) in $work/out; the whole job took [0-9.]+ s$" "the summary's last line"
[ -f "$work/out/summary.txt" ] && [ -f "$work/out/scan-script.txt" ] || problem "no summary.txt or scan-script.txt"

# --- the SANE backend of the native build scans the same frame of the same emulated cartridge: the same pixels
sane_lib_dir=$(cd "$(dirname "$LX9EMU")/.." && pwd)/lib/sane
if [ -f "$sane_lib_dir/libsane-lx9.so.1" ] && command -v scanimage >/dev/null; then
  preload=""
  # A sanitized backend under the unsanitized scanimage needs the sanitizer runtime first.
  if readelf -d "$sane_lib_dir/libsane-lx9.so.1" | grep -q 'libasan'; then preload=$(g++ -print-file-name=libasan.so); fi
  mkdir -p "$work/sane"
  echo lx9 >"$work/sane/dll.conf"
  if ! "$LX9_SOURCE_DIR/tools/with-emulator.sh" --fast --cartridge 15 -- bash -c '
      printf "%s\n" "$LX9_PORT" >"$0/lx9.conf"
      SANE_CONFIG_DIR=$0 LD_LIBRARY_PATH=$1 LD_PRELOAD=$2 ASAN_OPTIONS=detect_leaks=0 \
        timeout 120 scanimage -d "lx9:$LX9_PORT" --mode Standard --frame 2 --format=pnm -o "$0/frame2.pnm"' \
      "$work/sane" "$sane_lib_dir" "$preload" >"$work/sane.txt" 2>&1; then
    cat "$work/sane.txt"
    problem "scanimage could not scan frame 2 with the SANE backend"
  elif ! "$LX9_SOURCE_DIR/tests/sane/pixels_match_test.sh" "$work/out/frame_02_standard.png" "$work/sane/frame2.pnm"; then
    problem "the SANE backend's frame 2 differs from the data source's"
  fi
else
  echo "scan job: no SANE backend in the native build or no scanimage: its pixels were not compared"
fi

# --- a device fault: the scanner reports a hardware error at the first index scan
wait "$fault_pid" || fault_status=$?
cat "$work/fault.txt"
[ "$fault_status" = 1 ] || problem "the faulty run ended with exit code $fault_status, expected 1"
expect_line "$work/fault.txt" '^scan.sh: the step "index sheet" failed$' "the faulty run's step"
expect_line "$work/fault.txt" 'the source said: "Error" "Hardware Error\.  0x10"' "the faulty run's message"
[ ! -f "$work/fault/summary.txt" ] || problem "a failed run wrote a summary"

# --- a build that is not there, and bad options
status=0
"$scan" --build "$work/none" --out "$work/none-out" >"$work/nobuild.txt" 2>&1 || status=$?
[ "$status" = 1 ] || problem "a missing build ended with exit code $status"
expect_line "$work/nobuild.txt" '^scan.sh: the step "build" failed$' "the missing build's step"
for bad in "--cartridge 20" "--standard 1,16" "--extended 0" "--crop 500,0,10,10" "--language latin" "--colour"; do
  status=0
  # shellcheck disable=SC2086
  "$scan" --cartridge 15 $bad --out "$work/bad" >"$work/bad.txt" 2>&1 || status=$?
  [ "$status" = 2 ] || problem "$bad ended with exit code $status, expected 2"
  grep -q -- "${bad%% *}" "$work/bad.txt" || problem "$bad: the message does not name the option: $(cat "$work/bad.txt")"
done

if [ "$failures" = 0 ]; then echo "scan job: all checks passed"; else echo "scan job: $failures check(s) FAILED"; fi
[ "$failures" = 0 ]
