#!/usr/bin/env bash
# Debian's scanimage with the backend of the build tree against lx9emu (started by tools/with-emulator.sh,
# which exports LX9_PORT and LX9_EMU_CONTROL). SANE_CONFIG_DIR names a folder of this test alone, whose
# dll.conf lists lx9 only and whose lx9.conf names the emulator's link.
#
#   scanimage_test.sh scans|batch|cancel|faults
# Environment: LX9_SANE_LIB_DIR (the folder of libsane-lx9.so.1); LX9_SANE_PRELOAD (the sanitizer runtime
# when the backend is built with the sanitizers: scanimage itself is not, so the runtime must come first).
set -uo pipefail

case_name=${1:?usage: scanimage_test.sh scans|batch|cancel|faults}
: "${LX9_PORT:?run under tools/with-emulator.sh}" "${LX9_EMU_CONTROL:?run under tools/with-emulator.sh}"
: "${LX9_SANE_LIB_DIR:?the folder of libsane-lx9.so.1}"
tools=$(cd "$(dirname "$0")" && pwd)/picture_tools.py

work=$(mktemp -d "${TMPDIR:-/tmp}/lx9-sane.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo lx9 >"$work/dll.conf"
printf '%s\noption cartridge-wait 1500\n' "$LX9_PORT" >"$work/lx9.conf"
export SANE_CONFIG_DIR=$work LD_LIBRARY_PATH=$LX9_SANE_LIB_DIR${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
device="lx9:$LX9_PORT"

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
  fi
}

# scanimage with the backend; its messages go to $work/err. scanimage leaks a little at exit by design.
scan() {
  LD_PRELOAD=${LX9_SANE_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
    timeout 120 scanimage -d "$device" "$@" 2>"$work/err"
}
control() {
  local reply
  reply=$(printf '%s\n' "$*" | socat -t 5 - "UNIX-CONNECT:$LX9_EMU_CONTROL")
  [ "${reply##*$'\n'}" = ok ] || { echo "emulator: $* -> $reply" >&2; return 1; }
}
fails() { ! "$@"; }
lists_scanner() {
  LD_PRELOAD=${LX9_SANE_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0 scanimage -L |
    grep -qxF "device \`$device' is a Norvik LX-9 film scanner"
}
size_is() { [ "$(python3 "$tools" size "$1" 2>/dev/null)" = "$2" ]; }
area_between() {  # area_between PICTURE LOW HIGH
  local w h
  read -r w h < <(python3 "$tools" size "$1" 2>/dev/null) || return 1
  [ $((w * h)) -ge "$2" ] && [ $((w * h)) -le "$3" ]
}
err_has() { grep -q -- "$1" "$work/err"; }
dark_at_least() { [ "$(python3 "$tools" dark "$1" "${@:3}")" -ge "$2" ]; }
dark_below() { [ "$(python3 "$tools" dark "$1" "${@:3}")" -lt "$2" ]; }

case_scans() {
  check "scanimage -L lists the scanner" lists_scanner

  scan -A >"$work/options" || true
  for line in "--mode Index|Standard|Extended \[Standard\]" "--frame 1..15 (in steps of 1) \[1\]" \
              "--film-type Negative|Positive \[Negative\]" "--resolution <int> \[650\] \[read-only\]" \
              "--index-sheet\[=(yes|no)\] \[inactive\]" "-l 0..34.9219mm (in steps of 0.078125) \[inactive\]" \
              "-x 0.078125..35mm (in steps of 0.078125) \[inactive\]" "--eject" "--turn\[=(yes|no)\] \[no\]"; do
    check "scanimage -A shows $line" grep -q -- "$line" "$work/options"
  done
  scan -A --mode Extended >"$work/options" || true
  check "extended mode: the crop area is active with its centred default" \
    grep -q -- "-l 0..34.9219mm (in steps of 0.078125) \[8.75\]" "$work/options"
  check "extended mode: the resolution follows" grep -q -- "--resolution <int> \[1300\]" "$work/options"

  check "a standard scan" scan --format=pnm -o "$work/standard.pnm"
  check "the standard picture is 896 x 512" size_is "$work/standard.pnm" "896 512"
  # The scene draws the frame's number at the top right: dark pixels there, none at the bottom right.
  check "the frame number is at the top right" dark_at_least "$work/standard.pnm" 15 448 0 896 256
  check "a scene, not a dark picture" dark_below "$work/standard.pnm" 30 0 0 896 512

  check "an extended crop of the top right quarter" \
    scan --mode Extended -l 17.5 -t 0 -x 17.5 -y 10 --format=pnm -o "$work/crop.pnm"
  check "the crop is 896 x 512" size_is "$work/crop.pnm" "896 512"
  check "the crop holds the frame number" dark_at_least "$work/crop.pnm" 15 0 0 896 512
  check "a turned crop of the bottom left quarter" \
    scan --mode Extended --turn=yes -l 0 -t 10 -x 17.5 -y 10 --format=pnm -o "$work/turned.pnm"
  check "the turned crop holds the frame number" dark_at_least "$work/turned.pnm" 15 0 0 896 512
  check "a small crop" scan --mode Extended -l 1 -t 2 -x 4 -y 3 --format=pnm -o "$work/small.pnm"
  check "the small crop is 204 x 152" size_is "$work/small.pnm" "204 152"
  check "the whole frame is shrunk to the buffer's area" \
    scan --mode Extended -l 0 -t 0 -x 35 -y 20 --format=pnm -o "$work/whole.pnm"
  check "the shrunk crop keeps the frame's proportions" size_is "$work/whole.pnm" "896 512"
  check "a crop without area is refused" fails scan --mode Extended -l 10 -x 0 --format=pnm -o "$work/none.pnm"
  # The area limit follows the scanner's buffer, as the crop window's does: 131072 bytes allow 65536 pixels.
  control buffer-size 131072
  check "with a small buffer the whole frame is shrunk further" \
    scan --mode Extended -l 0 -t 0 -x 35 -y 20 --format=pnm -o "$work/limited.pnm"
  check "to at most 65536 pixels, and not much less" area_between "$work/limited.pnm" 60000 65536
  control buffer-size 917504

  check "an index thumbnail" scan --mode Index --frame 15 --format=pnm -o "$work/thumb.pnm"
  check "the thumbnail is 112 x 64" size_is "$work/thumb.pnm" "112 64"
  check "the index sheet" scan --mode Index --index-sheet=yes --format=pnm -o "$work/sheet.pnm"
  check "the sheet of 15 frames is 644 x 248" size_is "$work/sheet.pnm" "644 248"
  # Frame 15's cell: the last of the third row, past 14-pixel black bands.
  check "the sheet's cell of frame 15 is its thumbnail" \
    python3 "$tools" within "$work/sheet.pnm" "$work/thumb.pnm" $((14 + 4 * 126)) $((14 + 2 * 78))

  check "a positive cartridge" control cartridge change 25 positive
  scan -A >"$work/options" || true
  check "the frame range follows the cartridge" grep -q -- "--frame 1..25 (in steps of 1)" "$work/options"
  check "a positive scan" scan --film-type Positive --frame 25 --format=pnm -o "$work/positive.pnm"
  check "the positive picture is 896 x 512" size_is "$work/positive.pnm" "896 512"
  check "a frame past the cartridge is brought into range" scan --frame 40 -n
  check "the eject button" scan --eject -n
  check "without a cartridge, no scanner to open" fails scan -n
  check "the time-out is reported as no documents" err_has "Document feeder out of documents"
}

case_batch() {
  check "a batch over the cartridge" scan --batch="$work/frame%02d.pnm" --format=pnm
  check "15 pictures" [ "$(ls "$work"/frame*.pnm | wc -l)" = 15 ]
  local f
  for f in "$work"/frame*.pnm; do check "$(basename "$f") is 896 x 512" size_is "$f" "896 512"; done
  check "the batch ends at the last frame" err_has "Batch terminated, 15 pages scanned"
  check "with out of documents" err_has "out of documents"
  check "frames 1 and 2 differ" fails python3 "$tools" same "$work/frame01.pnm" "$work/frame02.pnm"
  rm -f "$work"/frame*.pnm
  check "a batch from frame 13" scan --mode Index --frame 13 --batch="$work/thumb%02d.pnm" --format=pnm
  check "3 thumbnails" [ "$(ls "$work"/thumb*.pnm | wc -l)" = 3 ]
  check "an index sheet batch is one picture" \
    scan --mode Index --index-sheet=yes --batch="$work/sheet%02d.pnm" --format=pnm
  check "1 sheet" [ "$(ls "$work"/sheet*.pnm | wc -l)" = 1 ]
}

case_cancel() {
  # Picture data that comes 2 s late, read after read (the start-up's four reads are on time): the
  # interrupt comes during the reads.
  control fault delay 2000 code read always after 4 || return
  LD_PRELOAD=${LX9_SANE_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0 \
    scanimage -d "$device" --format=pnm -o "$work/cancelled.pnm" 2>"$work/err" &
  local pid=$! start=$SECONDS
  sleep 3
  kill -TERM "$pid"  # a background job of a script ignores SIGINT
  local status=0
  wait "$pid" || status=$?
  check "an interrupted scan ends with an error" [ "$status" -ne 0 ]
  check "within 10 s of the interrupt" [ $((SECONDS - start)) -le 13 ]
  check "as cancelled" err_has "sane_read: Operation was canceled"
  control faults clear
  check "the scanner works after it" scan --format=pnm -o "$work/after.pnm"
  check "with a whole picture" size_is "$work/after.pnm" "896 512"
}

case_faults() {
  # The start-up reads four tables; from the ninth read on, the scan's picture data fails. A refusal lasts
  # until a REQUEST SENSE 0x0070, which the next start-up asks for.
  local kind
  for kind in "silence" "echo" "checksum" "start" "trickle 40" "delay 15000" "cut 8" "long" \
              "status 0x71 0x10" "status 0x70 0x05" "refuse"; do
    control fault "$kind" code read always after 8 || continue
    local start=$SECONDS
    check "$kind: the scan ends in an error" fails scan --format=pnm -o "$work/fault.pnm"
    check "$kind: reported by sane_read or sane_start" grep -q "scanimage: sane_\(read\|start\)" "$work/err"
    check "$kind: within 60 s" [ $((SECONDS - start)) -le 60 ]
    control faults clear
    check "$kind: the next sane_open works" scan -n
  done
  check "a scan after the faults" scan --format=pnm -o "$work/after.pnm"
  check "with a whole picture" size_is "$work/after.pnm" "896 512"
}

"case_$case_name"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
