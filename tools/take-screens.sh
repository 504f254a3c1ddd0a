#!/usr/bin/env bash
# Screenshots of the source's start-up windows for docs/screens/, taken by lx9acquire's scripted user under
# Xvfb with Wine's X11 driver (a prefix of its own: the test prefixes use the null driver).
#
#   tools/take-screens.sh [--build build/win32] [--out docs/screens]
#
# splash.png        the splash picture while the source is enabled
# preparing.png     the device-preparing dialog waiting for a cartridge (English), and
# preparing_fr.png, preparing_de.png the same in French and German
# preparing_working.png  the dialog at work (waiting for the scanner's calibration)
# about.png, property.png  About and Property (opened from the test shell's stand-in main window)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
out=$root/docs/screens
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

prefix=$build/screens-prefix
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;twain_32=n,b"
wine=/usr/lib/wine/wine
[ -x "$wine" ] || wine=$(command -v wine)
work=$(mktemp -d "${TMPDIR:-/tmp}/lx9screens.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# Inside Xvfb: a prefix with the X11 driver, unmanaged windows and the serif face for Times New Roman.
inside() {
  nohup wineserver -f -p </dev/null >/dev/null 2>&1 9>&- &
  if [ ! -f "$prefix/.lx9-screens" ]; then
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f \
      >/dev/null 2>&1
    # The caption buttons' glyphs.
    cp -f /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$prefix/.lx9-screens"
  fi
  "$root/tools/install-source.sh" --prefix "$prefix" --build "$build" >/dev/null
  "$root/tools/install-host.sh" --prefix "$prefix" --build "$build" >/dev/null
  acquire() { "$wine" "$build/bin/lx9acquire.exe" --timeout 90 "$@"; }
  winpath() { echo "Z:${1//\//\\}"; }
  language() { "$wine" reg add 'HKCU\Control Panel\International' /v sLanguage /d "$1" /f >/dev/null 2>&1; }

  # The real source against the emulator without a cartridge: the splash, then the waiting dialog.
  for lang in enu fra deu; do
    language "$lang"
    case $lang in enu) suffix="" insert="Insert Cartridge." ;; fra) suffix=_fr insert="Insérer la cassette." ;;
                  deu) suffix=_de insert="Filmpatrone einlegen." ;; esac
    shot_splash=""
    [ "$lang" = enu ] && shot_splash="screenshot \"$(winpath "$out/splash.png")\""
    printf '%s\n' "wait splash" "sleep 300" "$shot_splash" "wait preparing" \
      "wait-text 1003 \"$insert\" 30" "sleep 600" "screenshot \"$(winpath "$out/preparing$suffix.png")\"" \
      "click 2" "wait gone" | iconv -f UTF-8 -t CP1252 >"$work/prep-$lang.txt"
    "$root/tools/with-emulator.sh" --prefix "$prefix" --fast --standby on --cartridge none -- \
      "$wine" "$build/bin/lx9acquire.exe" --timeout 90 --script "$(winpath "$work/prep-$lang.txt")" || true
  done
  language enu

  # At work: the calibration made slow, so that state 111 (waiting for it) lasts.
  printf '%s\n' "wait preparing 10" "sleep 1200" "screenshot \"$(winpath "$out/preparing_working.png")\"" \
    "click 2" "wait gone" >"$work/working.txt"
  "$root/tools/with-emulator.sh" --prefix "$prefix" --fast --timing calibration=8000 --standby on --cartridge none \
    -- "$wine" "$build/bin/lx9acquire.exe" --timeout 90 --script "$(winpath "$work/working.txt")" || true

  # About and Property through the test shell's stand-in main window.
  mkdir -p "$work/tree/Test"
  cp "$build/bin/NorvikLX9Test.ds" "$build/bin/LX9Pict.dll" "$build/bin/LX9Comm.dll" "$work/tree/Test/"
  printf '%s\n' "wait main 10" "click 32816" "wait about" "sleep 400" \
    "screenshot \"$(winpath "$out/about.png")\"" "close-about" "wait gone" "wait main" "click 1164" \
    "wait property" "sleep 400" "screenshot \"$(winpath "$out/property.png")\"" "click 2" "wait gone" \
    "wait main" "click 1165" >"$work/dialogs.txt"
  LX9_TWAIN_DIR=$(winpath "$work/tree") LX9_TEST_WINDOW=1 LX9_TEST_IMAGES=0 LX9_TEST_CLOSE=0 \
    acquire --script "$(winpath "$work/dialogs.txt")" || true
  wineserver -k >/dev/null 2>&1 || true
}

if [ -n "${LX9_SCREENS_INSIDE:-}" ]; then
  inside
  exit 0
fi
LX9_SCREENS_INSIDE=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" --build "$build" --out "$out"
ls -l "$out"
