#!/usr/bin/env bash
# Installs what building and testing NorvikLX9 needs on a fresh Debian 12 machine: compilers for Linux and
# for Windows (mingw-w64, i686 and x86_64), Wine with the i386 architecture, fonts for the dialogs, and the
# test libraries. Safe to run again: it says nothing and changes nothing when all is present.
# Usage: tools/bootstrap.sh [--fuzz]
#   --fuzz   also clang with libFuzzer and the sanitizer runtimes (the fuzz configuration, tools/fuzz.sh)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git procps file
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb xauth fonts-wine fonts-liberation
  googletest libbenchmark-dev libpng-dev clang-format socat netpbm
)
case "${1:-}" in
  --fuzz) packages+=(clang libclang-rt-14-dev) ;;
  "") ;;
  *) echo "usage: $0 [--fuzz]" >&2; exit 2 ;;
esac

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done"
