#!/usr/bin/env bash
# The SANE backend's picture against the data source's: the PNG that lx9acquire (or tools/scan.sh) saved
# from the data source's final scan of a frame, and scanimage's PNM of the same frame of the same emulated
# cartridge with the same settings. Both are read as top-down RGB rows; every pixel must be equal.
#
#   tests/sane/pixels_match_test.sh DATA_SOURCE.png SCANIMAGE.pnm
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 DATA_SOURCE.png SCANIMAGE.pnm" >&2; exit 2; }
for picture in "$1" "$2"; do
  [ -s "$picture" ] || { echo "pixels_match: no picture at $picture" >&2; exit 1; }
done
tools=$(dirname "$0")/picture_tools.py
if python3 "$tools" same "$1" "$2"; then
  echo "pixels_match: $(python3 "$tools" size "$1" | tr ' ' x) pixels alike"
  echo "1 passed, 0 failed"
else
  echo "pixels_match: $1 and $2 differ" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
