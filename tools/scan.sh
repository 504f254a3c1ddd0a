#!/usr/bin/env bash
# The main job: a scan with the emulated LX-9, from a fresh machine to PNG files. Installs what it needs,
# builds the configuration this machine runs (or takes --build DIR as it is), starts lx9emu with a cartridge,
# installs the data source and the manager into a fresh Wine prefix and lets lx9acquire's scripted user
# scan: the index sheet, standard scans and an extended scan of a rectangle. One line per step as it goes,
# a summary table at the end; a failure names its step and ends with exit code 1 (2: a bad option).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
started_ns=$(date +%s%N)

usage() {
  cat <<'EOF'
usage: tools/scan.sh [options]
Scans a cartridge of the emulated LX-9 through the NorvikLX9 data source under Wine and writes the index
sheet and the scanned frames as PNG files. Default: a 25-frame negative cartridge; the index sheet, standard
scans of frames 1, 2 and 3 and an extended scan of a rectangle of frame 7; realistic device timing.

The film
  --cartridge 15|25|40        frames on the cartridge (default 25)
  --film negative|positive    the film on it (default negative); positive is also chosen in the source's
                              Property dialog before the index scan
  --picture FILE              a PNG of your own as the film: frames 1, 2, ... show the pictures given in
                              turn (repeatable; any size, the emulator scales it)
What to scan
  --index | --no-index        the index sheet (default) or only the index scan the other scans need
  --standard LIST|none        frames for the standard scan, e.g. 1,2,3 (default) or 4,30
  --extended FRAME|none       the frame of the extended scan (default 7)
  --crop X1,Y1,X2,Y2          the rectangle dragged over the 448 x 256 preview (default 64,32,288,160);
                              the source holds its area to what the device's buffer allows
  --script FILE               your own lx9acquire script instead (host/README.md); its images are saved
                              as image_NNN_<mode>.png, the mode told by the size
  --language english|french|german   the source's language (default english)
Where and how
  --out DIR                   output folder (default ./scans; created; files of the same name replaced)
  --fast                      no device delays (the emulator's --fast); default: realistic timing, as the
                              scanner takes its time (scans of 1.5 to 6 s, about 1 MB/s on the wire)
  --display                   show the source's windows on your X display ($DISPLAY) while it scans
  --screens                   run under Xvfb and save a screenshot of each window in OUT/screens
  --build DIR                 use this Windows build as it is (win32 or win64; no install, no build)
  --no-bootstrap              do not check or install the Debian packages
  --fault RULE                a device fault of lx9emu (emu/README.md), e.g. "status 0x71 0x10 code scan
                              after 3" (repeatable), to see how a failure ends
  --timeout SECONDS           the longest wait for one window or image (default 300)
  -h, --help                  this text
Environment: LX9_BUILD_ROOT (default <repo>/build), LX9EMU (the emulator program to use).
EOF
}

die_usage() { echo "scan.sh: $*" >&2; echo "run tools/scan.sh --help for the options" >&2; exit 2; }

# ---- options
cartridge=25 film=negative language=english index=1 standard=1,2,3 extended=7 crop=64,32,288,160
user_script="" out=scans fast=0 display=0 screens=0 build="" bootstrap=1 timeout=300
pictures=() faults=()
original_args=("$@")
need() { [ $# -ge 2 ] || die_usage "$1 needs a value"; }
while [ $# -gt 0 ]; do
  case "$1" in
    --cartridge) need "$@"; cartridge=$2; shift 2 ;;
    --film) need "$@"; film=$2; shift 2 ;;
    --picture) need "$@"; pictures+=("$2"); shift 2 ;;
    --index) index=1; shift ;;
    --no-index) index=0; shift ;;
    --standard) need "$@"; standard=$2; shift 2 ;;
    --extended) need "$@"; extended=$2; shift 2 ;;
    --crop) need "$@"; crop=$2; shift 2 ;;
    --script) need "$@"; user_script=$2; shift 2 ;;
    --language) need "$@"; language=$2; shift 2 ;;
    --out) need "$@"; out=$2; shift 2 ;;
    --fast) fast=1; shift ;;
    --realistic) fast=0; shift ;;
    --display) display=1; shift ;;
    --screens) screens=1; shift ;;
    --build) need "$@"; build=$2; shift 2 ;;
    --no-bootstrap) bootstrap=0; shift ;;
    --fault) need "$@"; faults+=("$2"); shift 2 ;;
    --timeout) need "$@"; timeout=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) die_usage "unknown option \"$1\"" ;;
  esac
done

case "$cartridge" in 15|25|40) ;; *) die_usage "--cartridge takes 15, 25 or 40" ;; esac
case "$film" in negative|positive) ;; *) die_usage "--film takes negative or positive" ;; esac
case "$language" in
  english|en) language=english sLanguage=enu ;;
  french|fr) language=french sLanguage=fra ;;
  german|de) language=german sLanguage=deu ;;
  *) die_usage "--language takes english, french or german" ;;
esac
[[ "$timeout" =~ ^[0-9]{1,4}$ ]] && [ "$timeout" -ge 10 ] || die_usage "--timeout takes 10 to 9999 seconds"
[ "$display" = 0 ] || [ "$screens" = 0 ] || die_usage "--display and --screens exclude each other"
[ "$display" = 0 ] || [ -n "${DISPLAY:-}" ] || die_usage "--display needs an X display in DISPLAY"
for picture in "${pictures[@]}"; do [ -f "$picture" ] || die_usage "no picture file $picture"; done
[ -z "$user_script" ] || [ -f "$user_script" ] || die_usage "no script file $user_script"

frame_number() {  # frame_number TEXT: a frame of the cartridge, or nothing
  [[ "$1" =~ ^[0-9]{1,2}$ ]] && [ "$((10#$1))" -ge 1 ] && [ "$((10#$1))" -le "$cartridge" ] && echo "$((10#$1))"
}
standard_frames=()
if [ "$standard" != none ]; then
  IFS=, read -r -a items <<<"$standard"
  [ ${#items[@]} -gt 0 ] || die_usage "--standard takes frame numbers, e.g. 1,2,3, or none"
  for item in "${items[@]}"; do
    f=$(frame_number "$item") || die_usage "--standard: \"$item\" is no frame of a $cartridge-frame cartridge"
    standard_frames+=("$f")
  done
  # The source scans the selection in ascending order, each frame once.
  mapfile -t standard_frames < <(printf '%s\n' "${standard_frames[@]}" | sort -n -u)
fi
extended_frame=""
if [ "$extended" != none ]; then
  extended_frame=$(frame_number "$extended") || die_usage "--extended: \"$extended\" is no frame of a $cartridge-frame cartridge"
fi
[[ "$crop" =~ ^-?[0-9]{1,4},-?[0-9]{1,4},-?[0-9]{1,4},-?[0-9]{1,4}$ ]] || die_usage "--crop takes X1,Y1,X2,Y2"
IFS=, read -r crop_x1 crop_y1 crop_x2 crop_y2 <<<"$crop"
# The press must land on the preview (448 x 256 at the window's top left); the other corner may lie anywhere,
# the window holds it to the preview.
{ [ "$crop_x1" -ge 0 ] && [ "$crop_x1" -le 447 ] && [ "$crop_y1" -ge 0 ] && [ "$crop_y1" -le 255 ]; } ||
  die_usage "--crop: the first corner must lie on the preview (0..447, 0..255)"

mkdir -p "$out" || die_usage "cannot make the folder $out"
out=$(cd "$out" && pwd)
for picture_index in "${!pictures[@]}"; do
  pictures[$picture_index]=$(cd "$(dirname "${pictures[$picture_index]}")" && pwd)/$(basename "${pictures[$picture_index]}")
done
[ -z "$user_script" ] || user_script=$(cd "$(dirname "$user_script")" && pwd)/$(basename "$user_script")

# Watching under Xvfb: the whole job runs inside it.
if [ "$screens" = 1 ] && [ -z "${LX9_SCAN_IN_XVFB:-}" ]; then
  command -v xvfb-run >/dev/null || [ "$bootstrap" = 0 ] || "$root/tools/bootstrap.sh"
  LX9_SCAN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "${original_args[@]}"
fi

# ---- progress lines
seconds_since() {  # seconds_since NANOSECONDS: tenths, without the locale's decimal mark
  local tenths=$((($(date +%s%N) - $1) / 100000000))
  echo "$((tenths / 10)).$((tenths % 10))"
}
elapsed() { seconds_since "$started_ns"; }
say() { printf '[%6s s] %-14s %s\n' "$(elapsed)" "$1" "$2"; }
failed_step=""
fail() {  # fail STEP REASON...
  failed_step=$1
  say "$1" "FAILED: $2"
  shift 2
  for line in "$@"; do [ -z "$line" ] || printf '             %s\n' "$line"; done
  echo "scan.sh: the step \"$failed_step\" failed"
  exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/lx9scan.XXXXXX")
prefix=$work/prefix
emu_pid=""
wine_run=()
cleanup() {
  if [ ${#wine_run[@]} -gt 0 ] && [ -d "$prefix" ]; then
    "$root/tools/wine-run.sh" --prefix "$prefix" --arch "$arch" --stop >/dev/null 2>&1 || true
  fi
  if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
    kill -TERM "$emu_pid" 2>/dev/null || true
    wait "$emu_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# ---- 1. packages
if [ -n "$build" ]; then
  say bootstrap "skipped (--build: the build's machine has them)"
elif [ "$bootstrap" = 1 ]; then
  "$root/tools/bootstrap.sh" >"$work/bootstrap.log" 2>&1 || fail bootstrap "tools/bootstrap.sh failed" "$(tail -n 5 "$work/bootstrap.log")"
  if [ -s "$work/bootstrap.log" ]; then say bootstrap "installed the missing packages"; else say bootstrap "the packages are present"; fi
else
  say bootstrap "skipped (--no-bootstrap)"
fi

# ---- 2. the build
pe_machine() {  # the PE machine field: 8664 x86-64, 014c i386
  local offset
  offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' '
}
build_root=${LX9_BUILD_ROOT:-$root/build}
if [ -n "$build" ]; then
  [ -f "$build/bin/lx9acquire.exe" ] || fail build "no Windows build in $build (no bin/lx9acquire.exe)"
  build=$(cd "$build" && pwd)
  case "$(pe_machine "$build/bin/lx9acquire.exe")" in
    8664) arch=win64 ;; 014c) arch=win32 ;; *) fail build "$build/bin/lx9acquire.exe is no i386 or x86-64 program" ;;
  esac
  emulator=${LX9EMU:-}
  if [ -z "$emulator" ]; then
    emulator=$(sed -n 's/^LX9_EMULATOR:FILEPATH=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
  fi
  [ -n "$emulator" ] || emulator=$build_root/native/bin/lx9emu
  say build "$build as it is ($arch)"
else
  # The product where the kernel runs 32-bit programs (the 32-bit Wine loader starts), else the x86_64 build
  # of the same sources: the way the build decides where its Windows tests run.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=win32 why="the shipped i686 build"
  else
    arch=win64 why="x86_64: this kernel runs no 32-bit programs"
  fi
  build=$build_root/$arch
  native=$build_root/native
  build_one() {  # build_one DIR LOG targets...
    local dir=$1 log=$2
    shift 2
    nice -n 10 cmake --build "$dir" --target "$@" >>"$log" 2>&1
  }
  log=$work/build.log
  configured=""
  if [ ! -f "$native/build.ninja" ]; then
    say build "configuring $native (the emulator)"
    cmake -S "$root" -B "$native" -G Ninja -DLX9_SANITIZE=ON >>"$log" 2>&1 || fail build "cmake of $native failed" "$(tail -n 20 "$log")"
    configured=1
  fi
  if [ ! -f "$build/build.ninja" ]; then
    say build "configuring $build ($why)"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-${arch/win32/i686}-w64-mingw32.cmake" \
      -DLX9_EMULATOR="$native/bin/lx9emu" >>"$log" 2>&1 || fail build "cmake of $build failed" "$(tail -n 20 "$log")"
    configured=1
  fi
  [ -n "$configured" ] || say build "checking $build ($why) and the emulator"
  build_one "$native" "$log" lx9emu || fail build "the emulator did not build (log: $log)" "$(tail -n 20 "$log")"
  build_one "$build" "$log" NorvikLX9 LX9Pict LX9Comm lx9dsm lx9acquire ||
    fail build "the $arch build failed" "$(grep -m 5 -E 'error|FAILED' "$log" || tail -n 20 "$log")"
  if [ "$(grep -c 'ninja: no work to do' "$log")" = 2 ]; then
    say build "$build: up to date"
  else
    say build "$build: built ($(grep -c '^\[[0-9]*/[0-9]*\]' "$log") steps)"
  fi
  emulator=${LX9EMU:-$native/bin/lx9emu}
fi
[ -x "$emulator" ] || fail build "no emulator at $emulator"
for file in NorvikLX9.ds LX9Pict.dll LX9Comm.dll TWAIN_32.DLL lx9acquire.exe; do
  [ -f "$build/bin/$file" ] || fail build "$build/bin/$file is missing"
done

# ---- 3. a fresh Wine prefix with the source and the manager
# Booting a prefix takes Wine about 20 s: a pristine one is booted once per build and display driver, never
# used itself, and each run works in a copy of it.
driver=null
[ "$display" = 0 ] && [ "$screens" = 0 ] || driver=x11
display_arg=()
[ $driver = null ] || display_arg=(--display)
pristine=$build/scan-prefix-$driver
(
  flock 8
  if [ ! -f "$pristine/.lx9-ready" ]; then
    rm -rf "$pristine"
    "$root/tools/wine-run.sh" --prefix "$pristine" --arch "$arch" "${display_arg[@]}" --start &&
      "$root/tools/wine-run.sh" --prefix "$pristine" --arch "$arch" "${display_arg[@]}" --stop
  fi
) 8>"$pristine.pristine-lock" >"$work/prefix.log" 2>&1 || fail "Wine prefix" "the prefix could not be made" "$(tail -n 5 "$work/prefix.log")"
new_prefix="a copy of the pristine $pristine"
grep -q 'creating the Wine prefix' "$work/prefix.log" && new_prefix="a new one (kept pristine in $pristine for the next runs)"
cp -a --reflink=auto "$pristine" "$prefix" || fail "Wine prefix" "$pristine could not be copied to $prefix"
wine_run=("$root/tools/wine-run.sh" --prefix "$prefix" --arch "$arch" "${display_arg[@]}")
"${wine_run[@]}" --start >>"$work/prefix.log" 2>&1 || fail "Wine prefix" "Wine did not start in $prefix" "$(tail -n 5 "$work/prefix.log")"
if [ "$display" = 1 ] || [ "$screens" = 1 ]; then
  cp -f /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true  # caption glyphs
fi
{
  "$root/tools/install-source.sh" --prefix "$prefix" --build "$build" &&
    "$root/tools/install-host.sh" --prefix "$prefix" --build "$build" &&
    "${wine_run[@]}" -- reg add 'HKCU\Control Panel\International' /v sLanguage /d "$sLanguage" /f
} >>"$work/prefix.log" 2>&1 || fail "Wine prefix" "installing into the prefix failed" "$(tail -n 5 "$work/prefix.log")"
say "Wine prefix" "fresh prefix, $new_prefix"
say "Wine prefix" "NorvikLX9.ds, LX9Pict.dll, LX9Comm.dll and TWAIN_32.DLL installed; language $language"

# ---- 4. the emulator
emu_args=(--link "$work/lpt1" --control "$work/control" --log "$work/emulator.log" --standby on
          --cartridge "$cartridge" --film "$film")
[ "$fast" = 0 ] || emu_args+=(--fast)
for picture in "${pictures[@]}"; do emu_args+=(--picture "$picture"); done
for rule in "${faults[@]}"; do emu_args+=(--fault "$rule"); done
"$emulator" "${emu_args[@]}" >"$work/emulator.out" 2>&1 &
emu_pid=$!
for ((i = 0; i < 600; i++)); do
  [ -L "$work/lpt1" ] && break
  kill -0 "$emu_pid" 2>/dev/null || fail emulator "lx9emu ended at start" "$(tail -n 5 "$work/emulator.out")"
  sleep 0.05
done
[ -L "$work/lpt1" ] || fail emulator "lx9emu made no port within 30 s"
mkdir -p "$prefix/dosdevices"
ln -sfn "$work/lpt1" "$prefix/dosdevices/lpt1"
film_text="$film film"
[ ${#pictures[@]} -eq 0 ] || film_text="$film film of ${#pictures[@]} picture(s) of yours"
[ ${#faults[@]} -eq 0 ] || film_text="$film_text, faults: ${faults[*]}"
say emulator "LX-9 on LPT1: $cartridge-frame cartridge, $film_text, $([ "$fast" = 1 ] && echo fast || echo realistic) timing"

# ---- 5. the script
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
script_lines=()
declare -A step_of=() note_of=()
add() {  # add STEP COMMAND [NOTE]: NOTE is printed when the command is done ("+": with its detail; "!":
         # a scan starts, the time of its first image counts from here)
  script_lines+=("$2")
  step_of[${#script_lines[@]}]=$1
  [ $# -lt 3 ] || note_of[${#script_lines[@]}]=$3
}
shot_count=0
shot() {  # shot STEP NAME: a screenshot of the current window, with --screens
  [ "$screens" = 1 ] || return 0
  mkdir -p "$out/screens"
  shot_count=$((shot_count + 1))
  add "$1" "sleep 400"
  add "$1" "screenshot \"$(winpath "$out/screens/$(printf '%02d' $shot_count)_$2.png")\""
}
expected_names=() expected_frames=() expected_modes=() expected_sizes=()
expect() {  # expect NAME FRAME MODE SIZE: the next image the application receives
  expected_names+=("$1") expected_frames+=("$2") expected_modes+=("$3") expected_sizes+=("$4")
}
page=1
click_frame() {  # click_frame STEP FRAME [ctrl]: the frame's cell, on the page that shows it
  local cell=$2
  if [ "$2" -gt 25 ]; then
    [ $page = 2 ] || { add "$1" "page down"; page=2; }
    cell=$(($2 - 25))
  else
    [ $page = 1 ] || { add "$1" "page up"; page=1; }
  fi
  add "$1" "cell $cell${3:+ ctrl}"
}
sheet_heights=([15]=248 [25]=404 [40]=638)
T=$timeout

if [ -n "$user_script" ]; then
  cp "$user_script" "$work/script.txt"
  total_images="?"
else
  add start-up "wait splash $T" "the splash picture is up"
  shot start-up splash
  add start-up "wait preparing $T" "the device is being prepared (identification, calibration, film information)"
  shot start-up preparing
  add start-up "wait main $T" "the main window is up with the cartridge's $cartridge frames"
  if [ "$film" = positive ]; then
    add "film type" "click 1164"
    add "film type" "wait property $T"
    add "film type" "film positive"
    shot "film type" property
    add "film type" "click 1"
    add "film type" "wait gone $T"
    add "film type" "wait main $T" "positive film chosen in the Property dialog"
  fi
  if [ "$index" = 1 ]; then
    add "index sheet" "mode index"
    add "index sheet" "click 1002" "!index scan of all $cartridge frames (ALL by SCAN in index mode)"
    add "index sheet" "wait image next $T"
    expect index_sheet.png "1-$cartridge" index "644x${sheet_heights[$cartridge]}"
  else
    add "index scan" "click 1000" "!index scan of all $cartridge frames (ALL)"
  fi
  step=$([ "$index" = 1 ] && echo "index sheet" || echo "index scan")
  add "$step" "wait main $T"
  add "$step" "wait-enabled 1002 $T" "the index images are in the main window"
  shot "$step" main_index
  if [ ${#standard_frames[@]} -gt 0 ]; then
    list=$(IFS=,; echo "${standard_frames[*]}")
    add "standard scan" "mode standard"
    first=1
    for f in "${standard_frames[@]}"; do
      if [ $first = 1 ]; then click_frame "standard scan" "$f"; first=0; else click_frame "standard scan" "$f" ctrl; fi
    done
    add "standard scan" "wait main $T"
    add "standard scan" "click 1002" "!standard scan of frame(s) ${list//,/, }"
    if [ "$screens" = 1 ] && [ "$fast" = 0 ]; then  # with fast timing the dialog is gone too soon
      add "standard scan" "wait progress $T"
      shot_count=$((shot_count + 1))
      mkdir -p "$out/screens"
      add "standard scan" "screenshot \"$(winpath "$out/screens/$(printf '%02d' $shot_count)_progress.png")\""
    fi
    for f in "${standard_frames[@]}"; do
      add "standard scan" "wait image next $T"
      expect "$(printf 'frame_%02d_standard.png' "$f")" "$f" standard 896x512
    done
    add "standard scan" "wait main $T"
    add "standard scan" "wait-enabled 1002 $T"
  fi
  if [ -n "$extended_frame" ]; then
    add "extended scan" "mode extended"
    click_frame "extended scan" "$extended_frame"
    add "extended scan" "wait main $T"
    add "extended scan" "click 1002" "!extended scan of frame $extended_frame: the crop window loads its preview"
    add "extended scan" "wait crop $T"
    add "extended scan" "wait-enabled 1002 $T" "the preview of frame $extended_frame is shown"
    add "extended scan" "drag $crop_x1 $crop_y1 $crop_x2 $crop_y2" "+rectangle ($crop_x1, $crop_y1)-($crop_x2, $crop_y2) dragged over the preview"
    shot "extended scan" crop
    add "extended scan" "click 1002" "scanning the rectangle"
    add "extended scan" "wait image next $T"
    expect "$(printf 'frame_%02d_extended.png' "$extended_frame")" "$extended_frame" extended "from the rectangle"
    add "extended scan" "wait main $T"
    add "extended scan" "wait-enabled 1002 $T"
  fi
  shot end main
  add end "wait main $T"
  add end "click 1165" "Exit: the source asks to be closed"
  add end "wait gone $T"
  printf '%s\n' "${script_lines[@]}" >"$work/script.txt"
  total_images=${#expected_names[@]}
fi
cp "$work/script.txt" "$out/scan-script.txt"

# ---- 6. the scan
acquire_args=(--timeout "$T" --out "$(winpath "$work/images")" --script "$(winpath "$work/script.txt")")
# The default script answers no box itself: a box (a device error) is printed, answered, and ends the run.
[ -n "$user_script" ] || acquire_args+=(--answer-boxes)
image_count=0
declare -a got_names=() got_frames=() got_modes=() got_sizes=() got_times=()
last_image_ns=$(date +%s%N)
failure="" failure_step="" box=""
current_step=start-up
mode_of_size() {
  case "$1" in
    644x248|644x404|644x638) echo index ;;
    896x512) echo standard ;;
    *) echo extended ;;
  esac
}
say start-up "lx9acquire enables the source (script: $([ -n "$user_script" ] && echo "$user_script" || echo "the default steps"))"
while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "SCRIPT "*)
      read -r _ number status rest <<<"$line"
      step=${step_of[$number]:-script}
      current_step=$step
      if [ "$status" = FAIL ]; then
        [ -n "$failure" ] || { failure="script line $number: $rest"; failure_step=$step; }
      elif [ -n "${note_of[$number]:-}" ]; then
        note=${note_of[$number]}
        case "$note" in
          +*) note="${note:1}: ${rest#*: }" ;;
          !*) note=${note:1}; last_image_ns=$(date +%s%N) ;;
        esac
        say "$step" "$note"
        # The rectangle tells the extended image's size: its width and height values in scan pixels.
        if [[ "$rest" =~ ^drag.*:\ W\ ([0-9]+)\ H\ ([0-9]+)$ ]]; then
          for i in "${!expected_sizes[@]}"; do
            [ "${expected_modes[$i]}" != extended ] || expected_sizes[$i]="${BASH_REMATCH[1]}x${BASH_REMATCH[2]}"
          done
        fi
      fi ;;
    "IMAGE "*)
      read -r _ number size _ <<<"$line"
      took=$(seconds_since "$last_image_ns")
      last_image_ns=$(date +%s%N)
      i=$((number - 1))
      if [ -z "$user_script" ] && [ "$i" -lt ${#expected_names[@]} ]; then
        name=${expected_names[$i]} frame=${expected_frames[$i]} mode=${expected_modes[$i]}
        if [ "$size" != "${expected_sizes[$i]}" ]; then
          [ -n "$failure" ] || { failure="$name came as $size, expected ${expected_sizes[$i]}"; failure_step=$current_step; }
        fi
      else
        mode=$(mode_of_size "$size") frame="-"
        name=$(printf 'image_%03d_%s.png' "$number" "$mode")
        [ -z "$user_script" ] && [ -z "$failure" ] && { failure="an image more than the script asks for"; failure_step=$current_step; }
      fi
      image_count=$number
      got_names+=("$name") got_frames+=("$frame") got_modes+=("$mode") got_sizes+=("$size") got_times+=("$took")
      # Its PNG is written after this line; the files are copied when the run has ended.
      say "$current_step" "$(printf '%-24s %-9s %-8s %s done' "$name" "$size" "${took} s" "$number/$total_images")" ;;
    "BOX "*)
      box=${line#BOX }
      say "$current_step" "the source shows a message: $box" ;;
    "@@lx9acquire-exit "*)
      acquire_status=${line#@@lx9acquire-exit } ;;
  esac
done < <("${wine_run[@]}" -- "$build/bin/lx9acquire.exe" "${acquire_args[@]}" 2>"$work/acquire.err"
         echo "@@lx9acquire-exit $?")

# ---- 7. the files and the summary
acquire_status=${acquire_status:-unknown}
if [ "$acquire_status" != 0 ] && [ -z "$failure" ]; then
  failure="lx9acquire ended with exit code $acquire_status"
  failure_step=$current_step
fi
if [ -z "$failure" ] && [ -z "$user_script" ] && [ "$image_count" -lt ${#expected_names[@]} ]; then
  failure="$image_count of ${#expected_names[@]} images came"
  failure_step=$current_step
fi
for i in "${!got_names[@]}"; do
  src=$work/images/$(printf 'image_%03d.png' $((i + 1)))
  if [ -f "$src" ]; then
    cp -f "$src" "$out/${got_names[$i]}"
  elif [ -z "$failure" ]; then
    failure="no PNG was written for ${got_names[$i]}"
    failure_step=$current_step
  fi
done
if [ -n "$failure" ]; then
  reason=$(grep -v '^$' "$work/acquire.err" | tail -n 3 || true)
  fail "$failure_step" "$failure" "${box:+the source said: $box}" "$reason"
fi
say end "the source is closed; $image_count file(s) in $out"
{
  echo
  printf '%-24s %-7s %-9s %-9s %s\n' file frame mode size time
  for i in "${!got_names[@]}"; do
    printf '%-24s %-7s %-9s %-9s %s s\n' "${got_names[$i]}" "${got_frames[$i]}" "${got_modes[$i]}" \
      "${got_sizes[$i]}" "${got_times[$i]}"
  done
  printf '%d file(s) in %s; the whole job took %s s\n' "$image_count" "$out" "$(elapsed)"
} | tee "$out/summary.txt"
