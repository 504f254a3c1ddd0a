#!/usr/bin/env bash
# Installs the data source manager stand-in TWAIN_32.DLL into a Wine prefix's system folder, where an
# application and the data source both find it by name (with WINEDLLOVERRIDES=twain_32=n,b, which
# tools/wine-run.sh sets). A 64-bit DLL goes to system32; a 32-bit one to syswow64 in a 64-bit prefix,
# else to system32. Optionally also copies lx9acquire.exe into the prefix's Windows folder.
#
#   install-host.sh --prefix WINEPREFIX --build BUILDDIR [--with-acquire]
# BUILDDIR is a Windows build directory (its programs and libraries are in BUILDDIR/bin).
set -euo pipefail

usage() { echo "usage: $0 --prefix WINEPREFIX --build BUILDDIR [--with-acquire]" >&2; exit 2; }

prefix=""
build=""
acquire=no
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || usage; prefix=$2; shift 2 ;;
    --build) [ $# -ge 2 ] || usage; build=$2; shift 2 ;;
    --with-acquire) acquire=yes; shift ;;
    *) usage ;;
  esac
done
[ -n "$prefix" ] && [ -n "$build" ] || usage

windows="$prefix/drive_c/windows"
[ -d "$windows" ] || { echo "install-host.sh: $prefix is not a Wine prefix (no drive_c/windows)" >&2; exit 1; }
dll="$build/bin/TWAIN_32.DLL"
[ -f "$dll" ] || { echo "install-host.sh: missing $dll (build the Windows configuration first)" >&2; exit 1; }

# The PE machine field: 0x8664 for x86-64, 0x014c for i386.
pe_offset=$(od -An -t u4 -j 60 -N 4 "$dll" | tr -d ' ')
machine=$(od -An -t x2 -j $((pe_offset + 4)) -N 2 "$dll" | tr -d ' ')
case "$machine" in
  8664) target="$windows/system32" ;;
  014c) if [ -d "$windows/syswow64" ]; then target="$windows/syswow64"; else target="$windows/system32"; fi ;;
  *) echo "install-host.sh: $dll is not an i386 or x86-64 DLL (machine $machine)" >&2; exit 1 ;;
esac

mkdir -p "$target"
cp -f "$dll" "$target/twain_32.dll"
echo "install-host.sh: installed TWAIN_32.DLL in $target"
if [ "$acquire" = yes ]; then
  [ -f "$build/bin/lx9acquire.exe" ] || { echo "install-host.sh: missing $build/bin/lx9acquire.exe" >&2; exit 1; }
  cp -f "$build/bin/lx9acquire.exe" "$windows/lx9acquire.exe"
  echo "install-host.sh: installed lx9acquire.exe in $windows"
fi
