#!/usr/bin/env bash
# Runs a command with an LX-9 emulator attached: a fresh lx9emu with its pty link, control socket and
# command log in a temporary folder, for as long as the command runs.
#
#   tools/with-emulator.sh [--prefix WINEPREFIX] [lx9emu options...] -- command [args...]
#
# The command gets LX9_PORT (the link to the pty), LX9_EMU_CONTROL (the control socket) and LX9_EMU_LOG
# (the command log). With --prefix, the prefix's LPT1 ($WINEPREFIX/dosdevices/lpt1) points at the link.
# The emulator is $LX9EMU if set, else build/native/bin/lx9emu of this tree. Exits with the command's
# status (125 when the emulator could not be started).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=""
emu_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || { echo "with-emulator.sh: --prefix needs a folder" >&2; exit 125; }
              prefix=$2; shift 2 ;;
    --) shift; break ;;
    *) emu_args+=("$1"); shift ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: with-emulator.sh [--prefix WINEPREFIX] [lx9emu options...] -- command [args...]" >&2; exit 125; }

emulator=${LX9EMU:-$root/build/native/bin/lx9emu}
[ -x "$emulator" ] || { echo "with-emulator.sh: no emulator at $emulator (build it, or set LX9EMU)" >&2; exit 125; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/lx9emu.XXXXXX")
link=$dir/lpt1
emu_pid=""
cleanup() {
  if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
    kill -TERM "$emu_pid" 2>/dev/null || true
    wait "$emu_pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Started in the background of this non-interactive shell, the emulator ignores the terminal's ^C, so it
# outlives the command and is stopped by cleanup, after the command.
"$emulator" --link "$link" --control "$dir/control" --log "$dir/log" "${emu_args[@]}" >"$dir/emulator.out" 2>&1 &
emu_pid=$!
for ((i = 0; i < 600; i++)); do
  [ -L "$link" ] && break
  if ! kill -0 "$emu_pid" 2>/dev/null; then
    echo "with-emulator.sh: the emulator ended at start:" >&2
    cat "$dir/emulator.out" >&2
    exit 125
  fi
  sleep 0.05
done
[ -L "$link" ] || { echo "with-emulator.sh: the emulator made no link within 30 s" >&2; exit 125; }

export LX9_PORT=$link LX9_EMU_CONTROL=$dir/control LX9_EMU_LOG=$dir/log
if [ -n "$prefix" ]; then
  mkdir -p "$prefix/dosdevices"
  ln -sfn "$link" "$prefix/dosdevices/lpt1"
fi

status=0
"$@" || status=$?
exit "$status"
