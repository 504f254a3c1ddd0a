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

failures=0
# run NAME LANGUAGE EXPECTED-EXIT emulator options...
run() {
  local name=$1 language=$2 expected_exit=$3
  shift 3
  "${wine_run[@]}" reg add "$key" /v sLanguage /d "$language" /f >/dev/null 2>&1
  cp "$scripts/$name.script" "$work/$name.script"
  local status=0
  "$tools/with-emulator.sh" --prefix "$WINEPREFIX" "$@" -- "${wine_run[@]}" \
    "$LX9_BINARY_DIR/bin/lx9acquire.exe" --timeout 60 --script "Z:${work//\//\\}\\$name.script" \
    >"$work/$name.out" 2>"$work/$name.err" || status=$?
  tr -d '\r' <"$work/$name.out" | sed -E 's/ after [0-9]+\.[0-9] s$//; s/: [0-9]+\.[0-9] s$//' >"$work/$name.got"
  if [ "$status" != "$expected_exit" ] || ! diff -u "$scripts/$name.expected" "$work/$name.got"; then
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
[ "$failures" = 0 ]
