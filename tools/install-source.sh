#!/usr/bin/env bash
# Installs the data source into a Wine prefix the way a setup program would: NorvikLX9.ds, the two libraries
# it loads at start and both control files go to "<Windows directory>\twain_32\NorvikLX9\", where the data
# source manager looks for sources and the source looks for its control files. The control files are
# installed fresh, so negotiated values go back to their power-on state.
#
#   install-source.sh --prefix WINEPREFIX --build BUILDDIR
# BUILDDIR is a Windows build directory (its programs and libraries are in BUILDDIR/bin).
set -euo pipefail

usage() { echo "usage: $0 --prefix WINEPREFIX --build BUILDDIR" >&2; exit 2; }

prefix=""
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || usage; prefix=$2; shift 2 ;;
    --build) [ $# -ge 2 ] || usage; build=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$prefix" ] && [ -n "$build" ] || usage

source_dir=$(cd "$(dirname "$0")/.." && pwd)
windows="$prefix/drive_c/windows"
[ -d "$windows" ] || { echo "install-source.sh: $prefix is not a Wine prefix (no drive_c/windows)" >&2; exit 1; }

# What the source needs beside it, and where each comes from.
files=(
  "$build/bin/NorvikLX9.ds"
  "$build/bin/LX9Pict.dll"
  "$build/bin/LX9Comm.dll"
  "$source_dir/ds/caps/files/NorvikLX9.ini"
  "$source_dir/ds/caps/files/NorvikLX9.src"
)
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "install-source.sh: missing $file (build the Windows configuration first)" >&2; exit 1; }
done

target="$windows/twain_32/NorvikLX9"
mkdir -p "$target"
cp -f "${files[@]}" "$target/"
echo "install-source.sh: installed the data source in $target"
