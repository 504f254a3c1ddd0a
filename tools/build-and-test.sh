#!/usr/bin/env bash
# Configures, builds and tests NorvikLX9:
#   native   Linux build under AddressSanitizer and UndefinedBehaviorSanitizer: LX9Pict, LX9Comm, the
#            emulator lx9emu and their tests (and the benchmark programs, built not run)
#   win32    the product: NorvikLX9.ds, LX9Pict.dll, LX9Comm.dll, TWAIN_32.DLL, lx9acquire.exe for 32-bit
#            Windows; every test program is built, and they run under 32-bit Wine (with the emulator on
#            LPT1) where the kernel runs 32-bit programs; its binaries are always checked (imports, exports)
#   win64    the same Windows sources for x86_64, whose tests run under wine64 (with the emulator on LPT1)
#   fuzz     clang with libFuzzer, ASan and UBSan: every harness of tests/fuzz for a few seconds from its
#            corpus (the native build already replays the corpora); tools/fuzz.sh runs them longer
# Usage: tools/build-and-test.sh [--native] [--no-fuzz] [--release] [--no-bootstrap] [--jobs N]
#   --native   only the native part and the fuzz step (no Wine, no mingw needed)
#   --no-fuzz  without the fuzz step
#   --release  also build every configuration as Release (-O3, where GCC reports more), without testing it
# Environment: LX9_BUILD_ROOT (default <repo>/build), CTEST_ARGS (extra arguments for ctest, e.g. -R pict).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX9_BUILD_ROOT:-$root/build}
jobs=$(nproc)
native_only=0
release=0
fuzz=1
bootstrap=1
while [ $# -gt 0 ]; do
  case "$1" in
    --native) native_only=1; shift ;;
    --no-fuzz) fuzz=0; shift ;;
    --release) release=1; shift ;;
    --no-bootstrap) bootstrap=0; shift ;;
    --jobs) jobs=$2; shift 2 ;;
    *) echo "usage: $0 [--native] [--no-fuzz] [--release] [--no-bootstrap] [--jobs N]" >&2; exit 2 ;;
  esac
done

if [ $bootstrap -eq 1 ]; then
  if [ $fuzz -eq 1 ]; then "$root/tools/bootstrap.sh" --fuzz; else "$root/tools/bootstrap.sh"; fi
fi
mkdir -p "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Each step with the time since the start, so that a slow part of the run shows.
step() { printf '\n=== [%02d:%02d] %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"; }

configure_and_build() {  # configure_and_build NAME cmake-args...
  local name=$1; shift
  step "configure $name"
  cmake -S "$root" -B "$build/$name" -G Ninja "$@" >"$build/$name.configure.log" 2>&1 ||
    { cat "$build/$name.configure.log"; exit 1; }
  step "build $name"
  if ! cmake --build "$build/$name" -j "$jobs" >"$build/$name.build.log" 2>&1; then
    tail -n 60 "$build/$name.build.log"
    echo "build of $name FAILED (whole log: $build/$name.build.log)"
    exit 1
  fi
}

# One line per configuration for the result section: whether its tests ran, and their count.
summary=()

run_tests() {  # run_tests NAME
  local name=$1 mode log rc=0 counts
  step "test $name"
  mode=$(cat "$build/$name/lx9-test-mode.txt" 2>/dev/null || echo "unknown")
  log="$build/$name.test.log"
  # shellcheck disable=SC2086
  # The Windows tests spend most of their time waiting on the source's timers: more than the cores, one per
  # lane (each lane's tests hold its prefix's LPT1 and Windows directory in turn) and one for the others.
  local parallel=$jobs
  [ "$parallel" -ge 5 ] || parallel=5
  ctest --test-dir "$build/$name" -j "$parallel" --output-on-failure ${CTEST_ARGS:-} 2>&1 | tee "$log" || rc=1
  counts=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  [ -n "$counts" ] || counts="no test ran"
  case "$mode" in
    built,*) summary+=("$(printf '%-7s test programs %s; ran only the checks that need no Wine: %s' "$name" "$mode" "$counts")") ;;
    *) summary+=("$(printf '%-7s tests %s: %s' "$name" "$mode" "$counts")") ;;
  esac
  return $rc
}

# The fuzz step is work for the processor, while the Windows tests mostly wait on the source's timers: beside
# those tests it runs in the background at a lower priority, with its own log, printed when it has ended.
# (The native tests and the other Windows build do not: beside the Windows tests they made timing tests fail
# and took longer in all.)
fuzz_step() {
  configure_and_build fuzz -DLX9_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  run_tests fuzz
}

background_pids=()
background_names=()
in_background() {  # in_background NAME command...: runs the command reniced, output to $build/NAME.step.log
  local name=$1; shift
  step "$name in the background (log: $build/$name.step.log)"
  rm -f "$build/$name.summary"
  ( renice -n 10 -p $BASHPID >/dev/null 2>&1 || true
    rc=0
    "$@" >"$build/$name.step.log" 2>&1 || rc=$?
    [ ${#summary[@]} -eq 0 ] || printf '%s\n' "${summary[@]: -1}" >"$build/$name.summary"
    exit $rc ) &
  background_pids+=($!)
  background_names+=("$name")
}

await_background() {
  local i rc
  for i in "${!background_pids[@]}"; do
    rc=0
    wait "${background_pids[$i]}" || rc=$?
    step "${background_names[$i]} (it ran in the background)"
    cat "$build/${background_names[$i]}.step.log"
    if [ -s "$build/${background_names[$i]}.summary" ]; then
      summary+=("$(cat "$build/${background_names[$i]}.summary")")
    else
      summary+=("${background_names[$i]} FAILED before its tests (see above)")
    fi
    [ $rc -eq 0 ] || status=1
  done
}

windows_config() {  # windows_config NAME window-suites: configures and builds one Windows configuration
  local name=$1 suites=$2 arch=x86_64
  [ "$name" = win32 ] && arch=i686
  configure_and_build "$name" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DLX9_EMULATOR="$build/native/bin/lx9emu" -DLX9_WINDOW_SUITES="$suites"
}

checker_config() {  # checker_config NAME: the configuration whose tests this machine can only build and check
  windows_config "$1" OFF
  run_tests "$1"
}

status=0
configure_and_build native -DLX9_SANITIZE=ON
run_tests native || status=1

if [ $native_only -eq 1 ]; then
  if [ $fuzz -eq 1 ]; then fuzz_step || status=1; fi
else
  # The Windows builds test the data source against the native emulator built above. One of them runs the
  # Windows tests with the window suites (minutes against the emulator): the shipped i686 build where this
  # kernel runs 32-bit programs, else win64; the other is built and checked first.
  step "configure win32 (does this machine run its tests?)"
  cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
    -DLX9_EMULATOR="$build/native/bin/lx9emu" >"$build/win32.configure.log" 2>&1 ||
    { cat "$build/win32.configure.log"; exit 1; }
  runner=win64 checker=win32
  case "$(cat "$build/win32/lx9-test-mode.txt" 2>/dev/null)" in run*) runner=win32 checker=win64 ;; esac
  checker_config $checker || status=1
  windows_config $runner ON
  [ $fuzz -eq 0 ] || in_background fuzz fuzz_step
  run_tests $runner || status=1
  await_background
  [ $runner = win32 ] && summary+=("        (win64 leaves the window suites to win32, which ran them)")
fi

if [ $release -eq 1 ]; then
  configure_and_build native-release -DCMAKE_BUILD_TYPE=Release
  summary+=("native-release  built")
  if [ $native_only -eq 0 ]; then
    configure_and_build win32-release -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"
    configure_and_build win64-release -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
    summary+=("win32-release, win64-release  built")
  fi
fi

step "result"
for line in "${summary[@]}"; do echo "$line"; done
if [ $status -eq 0 ]; then echo "all configurations passed"; else echo "some tests FAILED"; fi
exit $status
