#!/usr/bin/env bash
# lx9acquire's scripted user through the real data source's start-up against lx9emu: each script of
# tests/host/scripts/startup_*.script runs with its emulator options and language, and its output (times
# taken out) must equal the .expected file beside it.
# Environment (set by CTest): LX9_SOURCE_DIR, LX9_BINARY_DIR, WINEPREFIX, LX9_WINE_ARCH, LX9EMU.
set -euo pipefail
: "${LX9_SOURCE_DIR:?}" "${LX9_BINARY_DIR:?}" "${WINEPREFIX:?}" "${LX9EMU:?}"
tools=$LX9_SOURCE_DIR/tools
scripts=$LX9_SOURCE_DIR/tests/host/scripts
wine_run=("$tools/wine-run.sh" --prefix "$WINEPREFIX" --arch "${LX9_WINE_ARCH:-win32}" --)
work=$(mktemp -d "${TMPDIR:-/tmp}/lx9startup.XXXXXX")

"$tools/install-source.sh" --prefix "$WINEPREFIX" --build "$LX9_BINARY_DIR" >/dev/null
"$tools/install-host.sh" --prefix "$WINEPREFIX" --build "$LX9_BINARY_DIR" >/dev/null

# The host's language setting, put back afterwards.
key='HKCU\Control Panel\International'
original=$("${wine_run[@]}" reg query "$key" /v sLanguage 2>/dev/null | tr -d '\r' | awk '/sLanguage/ {print $3}' || true)
restore() {
  if [ -n "$original" ]; then
    "${wine_run[@]}" reg add "$key" /v sLanguage /d "$original" /f >/dev/null 2>&1 || true
  else
    "${wine_run[@]}" reg delete "$key" /v sLanguage /f >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap restore EXIT

# The film setting as a new user has it (negative film), put back afterwards like the language.
setting="$WINEPREFIX/drive_c/windows/twain_32/NorvikLX9/LX9Cfg.ini"
[ -f "$setting" ] && cp "$setting" "$work/LX9Cfg.ini.saved"
restore_setting() {
  if [ -f "$work/LX9Cfg.ini.saved" ]; then cp "$work/LX9Cfg.ini.saved" "$setting"; else rm -f "$setting"; fi
  restore
}
trap restore_setting EXIT
printf '[LX-9]\r\nNegaPosi=0\r\n' >"$setting"

failures=0
# run NAME LANGUAGE EXPECTED-EXIT emulator options...   (LX9_ACQUIRE_ARGS: more lx9acquire options)
run() {
  local name=$1 language=$2 expected_exit=$3
  shift 3
  mkdir -p "$work/$name.images"
  "${wine_run[@]}" reg add "$key" /v sLanguage /d "$language" /f >/dev/null 2>&1
  cp "$scripts/$name.script" "$work/$name.script"
  local status=0
  "$tools/with-emulator.sh" --prefix "$WINEPREFIX" "$@" -- "${wine_run[@]}" \
    "$LX9_BINARY_DIR/bin/lx9acquire.exe" --timeout 180 --out "Z:${work//\//\\}\\$name.images" \
    ${LX9_ACQUIRE_ARGS:-} --script "Z:${work//\//\\}\\$name.script" \
    >"$work/$name.out" 2>"$work/$name.err" || status=$?
  tr -d '\r' <"$work/$name.out" | sed -E 's/ after [0-9]+\.[0-9] s$//; s/: [0-9]+\.[0-9] s$//' |
    sed -E 's/^SAVED .*\\(image_[0-9]+\.(bmp|png))$/SAVED \1/' >"$work/$name.got"
  local same=0
  diff -u "$scripts/$name.expected" "$work/$name.got" || same=1
  if [ "$status" != "$expected_exit" ] || [ $same -ne 0 ]; then
    echo "FAILED $name (exit $status, expected $expected_exit)"
    cat "$work/$name.err"
    failures=$((failures + 1))
  else
    echo "passed $name"
  fi
}

run startup_no_cartridge enu 0 --fast --standby on --cartridge none
run startup_unusable deu 0 --fast --standby on --unusable
run startup_standby_off fra 0 --fast --standby off --cartridge 25
# Index mode in each language: the index sheet of 15, 25 and 40 frames (644 x 248, 404, 638) is the image,
# and its first thumbnail shows the scene of frame 1 as negative film makes it.
LX9_ACQUIRE_ARGS="--max-images 1" run index_en_15 enu 0 --fast --standby on --cartridge 15 --film negative
LX9_ACQUIRE_ARGS="--max-images 1" run index_de_25 deu 0 --fast --standby on --cartridge 25 --film negative
LX9_ACQUIRE_ARGS="--max-images 1" run index_fr_40 fra 0 --fast --standby on --cartridge 40 --film negative

# Frame 1's corner marker, in the first cell of the sheet, is the scene's yellow: a negative turned positive
# (a sheet of film taken for positive shows it dark blue), in blue-green-red order, bottom-up.
marker=$(python3 - "$work/index_en_15.images/image_001.bmp" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
off = struct.unpack_from("<I", d, 10)[0]
w, h = struct.unpack_from("<ii", d, 18)
row = (w * 3 + 3) & ~3
i = off + (h - 1 - 20) * row + 18 * 3
b, g, r = d[i:i + 3]
print("yellow" if r > 150 and g > 150 and b < 110 else "not yellow (%d, %d, %d)" % (r, g, b))
PY
) || marker="unreadable"
if [ "$marker" != yellow ]; then
  echo "FAILED index_en_15: frame 1's corner marker is $marker"
  failures=$((failures + 1))
fi
[ "$failures" = 0 ]
