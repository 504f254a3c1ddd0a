#!/usr/bin/env bash
# Runs a Windows link test against the emulator on the Wine prefix's LPT1 (tools/with-emulator.sh), with
# the standard frame the emulator will send written beforehand by the native reference tool that lives
# beside lx9emu.
#   wine_emulator_test.sh PROGRAM [program arguments]
# Environment: LX9EMU (the native lx9emu), LX9_SOURCE_DIR, WINEPREFIX, LX9_WINE_ARCH.
set -euo pipefail
: "${LX9EMU:?LX9EMU must name the native lx9emu}" "${WINEPREFIX:?WINEPREFIX must be set}"
tools=${LX9_SOURCE_DIR:?}/tools
reference_tool=$(dirname "$LX9EMU")/lx9comm_frame_reference
[ -x "$reference_tool" ] || { echo "missing $reference_tool: build the native configuration first" >&2; exit 1; }

work=$(mktemp -d /tmp/lx9comm-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$reference_tool" "$work/frame.bin"

export LX9_REFERENCE_FRAME="Z:$work/frame.bin"
"$tools/with-emulator.sh" --prefix "$WINEPREFIX" --fast --standby on -- \
  "$tools/wine-run.sh" --prefix "$WINEPREFIX" --arch "${LX9_WINE_ARCH:-win64}" -- "$@"
