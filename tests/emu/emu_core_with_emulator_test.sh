#!/usr/bin/env bash
# tools/with-emulator.sh: the environment it gives the command, the prefix's LPT1, the exit status, and
# nothing left behind.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/tools/with-emulator.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$script" --prefix "$work/prefix" --fast --standby on -- bash -c '
  [ -L "$LX9_PORT" ] || exit 11
  [ "$(readlink -f "$LX9_PORT")" = "$(readlink -f "$0/dosdevices/lpt1")" ] || exit 12
  [ -S "$LX9_EMU_CONTROL" ] || exit 13
  [ -f "$LX9_EMU_LOG" ] || exit 14
  echo "$LX9_PORT" > "$0/port"
  exit 7' "$work/prefix"
status=$?
[ "$status" = 7 ] || fail "the command's status 7 came back as $status"
port=$(cat "$work/prefix/port")
[ ! -e "$(dirname "$port")" ] || fail "the emulator's folder is left behind"

"$script" --frobnicate -- true 2>/dev/null
[ $? = 125 ] || fail "an emulator that cannot start must give 125"
"$script" -- true || fail "a plain run failed"
echo "with-emulator.sh: ok"
