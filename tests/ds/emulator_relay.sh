#!/usr/bin/env bash
# Runs a command (under tools/with-emulator.sh) with a relay to the emulator's control socket, so that a
# Windows test program can send control commands: it writes NAME.cmd into the folder $LX9_EMU_RELAY, the
# relay sends the line to $LX9_EMU_CONTROL and leaves the reply in NAME.reply, then NAME.done.
#   emulator_relay.sh command [args...]
set -euo pipefail
: "${LX9_EMU_CONTROL:?run under tools/with-emulator.sh}"
relay=$(mktemp -d "${TMPDIR:-/tmp}/lx9relay.XXXXXX")
export LX9_EMU_RELAY=$relay

send() {  # send CONTROL-LINE: prints the reply up to its "ok" or "error" line
  python3 - "$LX9_EMU_CONTROL" "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
s.sendall(sys.argv[2].strip().encode() + b"\n")
data = b""
while True:
    chunk = s.recv(65536)
    if not chunk:
        break
    data += chunk
    lines = data.decode(errors="replace").splitlines()
    if data.endswith(b"\n") and lines and (lines[-1] == "ok" or lines[-1].startswith("error")):
        break
sys.stdout.write(data.decode(errors="replace"))
PY
}

(
  while :; do
    for cmd in "$relay"/*.cmd; do
      [ -e "$cmd" ] || continue
      base=${cmd%.cmd}
      send "$(cat "$cmd")" >"$base.reply" 2>&1 || echo "error relay" >>"$base.reply"
      rm -f "$cmd"
      touch "$base.done"
    done
    sleep 0.02
  done
) &
relay_pid=$!
trap 'kill "$relay_pid" 2>/dev/null || true; wait "$relay_pid" 2>/dev/null || true; rm -rf "$relay"' EXIT

status=0
"$@" || status=$?
exit "$status"
