#!/usr/bin/env bash
# Installs what building and testing NorvikLX9 needs on a fresh Debian 12 machine: compilers for Linux and
# for Windows (mingw-w64, i686 and x86_64), Wine with the i386 architecture, fonts for the dialogs, and the
# test libraries, SANE's headers and scanimage for the Linux backend. Safe to run again: it says nothing and
# changes nothing when all is present.
# Usage: tools/bootstrap.sh [--fuzz]
#   --fuzz   also clang with libFuzzer and the sanitizer runtimes (the fuzz configuration, tools/fuzz.sh)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git procps file
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 xvfb xauth fonts-wine fonts-liberation
  googletest libbenchmark-dev libpng-dev clang-format socat netpbm
  libsane-dev sane-utils
)
# 32-bit Wine runs the shipped i686 build where the kernel runs 32-bit programs. Without it (or on a kernel
# that runs none) the x86_64 build carries the Windows tests, so a mirror that cannot serve it is no reason
# to stop.
optional=(wine32:i386)
case "${1:-}" in
  --fuzz) packages+=(clang libclang-rt-14-dev) ;;
  "") ;;
  *) echo "usage: $0 [--fuzz]" >&2; exit 2 ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]} ${missing_optional[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then: try again, then go on with what came.
update() {
  local attempt
  for attempt in 1 2; do
    $sudo apt-get update -qq && return 0
    echo "bootstrap: the package lists did not all come (attempt $attempt)" >&2
    sleep 5
  done
  return 1
}
install() { $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
update || true
if [ ${#missing[@]} -gt 0 ] && ! install "${missing[@]}"; then
  update || true
  install "${missing[@]}" || { echo "bootstrap: cannot install ${missing[*]}" >&2; exit 1; }
fi
if [ ${#missing_optional[@]} -gt 0 ] && ! install "${missing_optional[@]}"; then
  echo "bootstrap: ${missing_optional[*]} could not be installed; the win32 tests will be built, not run" >&2
fi
echo "bootstrap: done"
