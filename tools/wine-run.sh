#!/usr/bin/env bash
# Runs Win32 programs under Wine in a prefix of the build tree: 32-bit, the null display driver (no X
# needed), our TWAIN_32.DLL preferred over Wine's, and one persistent wineserver that this script starts
# and stops itself. The server is started in the foreground of a background job, never by wine's own
# autostart: an autostarted server becomes a session leader and would take the emulator's pty as its
# controlling terminal.
#
#   wine-run.sh --prefix DIR [--arch win32|win64] --start          create the prefix, start the server
#   wine-run.sh --prefix DIR [--arch win32|win64] --stop           stop the server
#   wine-run.sh --prefix DIR [--arch win32|win64] -- prog [args]   run a program
# With --display the X display of $DISPLAY is kept and a new prefix gets the X11 driver (screenshots under
# Xvfb); give such runs a prefix of their own.
# win32 runs 32-bit programs with Wine's 32-bit loader (the kernel must run 32-bit code); win64 runs the
# 64-bit test build with wine64.
set -euo pipefail

prefix=""
arch=${LX9_WINE_ARCH:-win32}
action=run
display=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    --start) action=start; shift ;;
    --stop) action=stop; shift ;;
    --display) display=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || prefix=${WINEPREFIX:-}
[ -n "$prefix" ] || { echo "wine-run.sh: no prefix (--prefix DIR or WINEPREFIX)" >&2; exit 2; }
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)

export WINEPREFIX=$prefix
export WINEARCH=$arch
case "$arch" in
  win32) wine=/usr/lib/wine/wine ;;
  win64) wine=/usr/lib/wine/wine64 ;;
  *) echo "wine-run.sh: unknown arch $arch" >&2; exit 2 ;;
esac
[ -x "$wine" ] || wine=$(command -v wine)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;twain_32=n,b"
graphics=null
if [ "$display" = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "wine-run.sh: --display without DISPLAY" >&2; exit 2; }
  graphics=x11
else
  unset DISPLAY WAYLAND_DISPLAY
fi

# The server of this prefix is the wineserver process whose working directory is server-<dev>-<inode>
# of the prefix (under a temporary directory that Wine chooses).
server_tag() {
  local dev ino
  read -r dev ino < <(stat -c '%d %i' "$prefix")
  printf 'server-%x-%x' "$dev" "$ino"
}

server_pids() {
  local tag pid cwd
  tag=$(server_tag)
  for pid in $(pgrep -f wineserver 2>/dev/null || true); do
    cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null || true)
    if [ "${cwd##*/}" = "$tag" ] && [ -S "$cwd/socket" ]; then echo "$pid"; fi
  done
}

wait_for() {  # wait_for CONDITION-FUNCTION SECONDS
  local i
  for ((i = 0; i < $2 * 20; i++)); do
    if "$1"; then return 0; fi
    sleep 0.05
  done
  return 1
}
server_up() { [ -n "$(server_pids)" ]; }
server_down() { [ -z "$(server_pids)" ]; }

stop_server() {
  if ! server_down; then
    wineserver -k >/dev/null 2>&1 || true
    wait_for server_down 10 || kill -9 $(server_pids) 2>/dev/null || true
  fi
}

init_prefix() {
  [ -f "$prefix/.lx9-ready" ] && return 0
  echo "wine-run.sh: creating the Wine prefix $prefix" >&2
  # Seeding the null driver before the first boot keeps wineboot from waiting for a display (2 min).
  if [ ! -f "$prefix/user.reg" ]; then
    printf '%s\n' 'WINE REGISTRY Version 2' ';; All keys relative to \\User\\Default' '' \
      '[Software\\Wine\\Drivers]' "\"Graphics\"=\"$graphics\"" > "$prefix/user.reg"
  fi
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f \
    >/dev/null 2>&1
  stop_server
  touch "$prefix/.lx9-ready"
}

start_server() {
  server_up && return 0
  nohup wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
  disown || true
  wait_for server_up 20 || { echo "wine-run.sh: wineserver did not start" >&2; exit 1; }
  # Start Wine's own services now, detached from our output: a service started by a test program would
  # inherit the program's stdout and keep CTest waiting for it to close.
  "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
}

# One setup at a time per prefix (CTest may start several programs at once).
exec 9>"$prefix.lock"
flock 9
init_prefix
case "$action" in
  start) start_server; exit 0 ;;
  stop) stop_server; exit 0 ;;
esac
start_server
flock -u 9
exec 9>&-
[ $# -gt 0 ] || { echo "wine-run.sh: no program given" >&2; exit 2; }
exec "$wine" "$@"
