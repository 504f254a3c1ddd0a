#!/usr/bin/env bash
# tools/install-source.sh: the source, its two libraries and both control files land in
# <prefix>/drive_c/windows/twain_32/NorvikLX9/, byte for byte; a folder that is not a prefix is refused.
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

if "$source_dir/tools/install-source.sh" --prefix "$work" --build "$build_dir" 2>/dev/null; then
  fail "a folder without drive_c/windows was accepted"
fi

mkdir -p "$work/drive_c/windows"
"$source_dir/tools/install-source.sh" --prefix "$work" --build "$build_dir" >/dev/null
target="$work/drive_c/windows/twain_32/NorvikLX9"
for name in NorvikLX9.ds LX9Pict.dll LX9Comm.dll; do
  cmp -s "$build_dir/bin/$name" "$target/$name" || fail "$name not installed"
done
for name in NorvikLX9.ini NorvikLX9.src; do
  cmp -s "$source_dir/ds/caps/files/$name" "$target/$name" || fail "$name not installed"
done

# A second install brings the negotiated state back to power-on.
echo "changed" > "$target/NorvikLX9.src"
"$source_dir/tools/install-source.sh" --prefix "$work" --build "$build_dir" >/dev/null
cmp -s "$source_dir/ds/caps/files/NorvikLX9.src" "$target/NorvikLX9.src" || fail "reinstall kept an old NorvikLX9.src"
echo "install-source.sh: all checks passed"
