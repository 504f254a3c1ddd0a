#!/usr/bin/env bash
# Runs a Windows link test against the emulator: lx9emu on a pty of its own, the Wine prefix's LPT1
# pointed at it, and the standard frame the emulator will send written beforehand by the native
# reference tool that lives beside lx9emu.
#   wine_emulator_test.sh WINE-RUN-SCRIPT PROGRAM [program arguments]
# Environment: LX9EMU (the native lx9emu), WINEPREFIX, LX9_WINE_ARCH.
set -euo pipefail
wine_run=$1
program=$2
shift 2
: "${LX9EMU:?LX9EMU must name the native lx9emu}" "${WINEPREFIX:?WINEPREFIX must be set}"
reference_tool=$(dirname "$LX9EMU")/lx9comm_frame_reference
[ -x "$reference_tool" ] || { echo "missing $reference_tool: build the native configuration first" >&2; exit 1; }

work=$(mktemp -d /tmp/lx9comm-wine.XXXXXX)
lpt1=$WINEPREFIX/dosdevices/lpt1
emu_pid=
cleanup() {
  if [ -n "$emu_pid" ]; then kill "$emu_pid" 2>/dev/null || true; wait "$emu_pid" 2>/dev/null || true; fi
  rm -f "$lpt1"
  rm -rf "$work"
}
trap cleanup EXIT

"$reference_tool" "$work/frame.bin"
"$LX9EMU" --link "$work/lpt1" --fast --standby on --log "$work/emulator.log" &
emu_pid=$!
for _ in $(seq 1200); do [ -e "$work/lpt1" ] && break; sleep 0.05; done
[ -e "$work/lpt1" ] || { echo "lx9emu did not make its link" >&2; exit 1; }
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$work/lpt1" "$lpt1"

status=0
LX9_REFERENCE_FRAME="Z:$work/frame.bin" "$wine_run" --prefix "$WINEPREFIX" --arch "${LX9_WINE_ARCH:-win64}" -- \
  "$program" "$@" || status=$?
[ $status -eq 0 ] || { echo "--- emulator log (last lines)"; tail -n 20 "$work/emulator.log"; }
exit $status
