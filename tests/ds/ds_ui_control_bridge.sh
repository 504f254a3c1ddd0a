#!/usr/bin/env bash
# Lets a Windows test program reach the emulator's control socket: the program writes one command line to
# $LX9_CONTROL_BRIDGE/request (through drive Z:), this script sends it to $LX9_EMU_CONTROL and leaves the
# reply lines in $LX9_CONTROL_BRIDGE/reply. Runs the command given after -- and stops with it.
#
#   ds_ui_control_bridge.sh -- command [args...]      (inside tools/with-emulator.sh)
set -euo pipefail
[ "${1:-}" = "--" ] && shift
[ -n "${LX9_EMU_CONTROL:-}" ] || { echo "ds_ui_control_bridge.sh: no LX9_EMU_CONTROL" >&2; exit 125; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/lx9bridge.XXXXXX")
send() {  # one line to the socket, the answer up to its "ok" or "error" line
  if command -v socat >/dev/null 2>&1; then
    printf '%s\n' "$1" | socat -t 5 - UNIX-CONNECT:"$LX9_EMU_CONTROL"
  else
    python3 -c 'import socket,sys
s=socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.sendall((sys.argv[2]+"\n").encode())
buf=b""
while not (buf.endswith(b"ok\n") or b"\nerror" in buf or buf.startswith(b"error")):
    d=s.recv(4096)
    if not d: break
    buf+=d
sys.stdout.write(buf.decode())' "$LX9_EMU_CONTROL" "$1"
  fi
}
(
  while :; do
    if [ -f "$dir/request" ]; then
      line=$(head -n 1 "$dir/request" | tr -d '\r')
      rm -f "$dir/request"
      send "$line" >"$dir/reply.tmp" 2>&1 || echo "error bridge" >>"$dir/reply.tmp"
      mv "$dir/reply.tmp" "$dir/reply"
    fi
    sleep 0.02
  done
) &
loop=$!
cleanup() { kill "$loop" 2>/dev/null || true; wait "$loop" 2>/dev/null || true; rm -rf "$dir"; }
trap cleanup EXIT

export LX9_CONTROL_BRIDGE=$dir
status=0
"$@" || status=$?
exit "$status"
