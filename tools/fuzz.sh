#!/usr/bin/env bash
# Runs the fuzz harnesses (tests/fuzz) for longer than CI does, in the fuzz configuration (clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer), and prints per harness: executions, executions per
# second, edges covered, and findings (crash-, leak-, timeout- and oom- files, with the reproducer).
# New corpus entries stay in the build tree (BUILD/campaign/HARNESS); a finding, once fixed, is copied into
# tests/fuzz/corpus/HARNESS/ by hand so that the native build replays it from then on.
# Usage: tools/fuzz.sh [--time SECONDS] [--build DIR] [--no-bootstrap] [--list] [HARNESS...]
#   --time    seconds per harness (default 60)
#   --build   the fuzz build folder (default build/fuzz; configured when missing)
#   HARNESS   names as in tests/fuzz/corpus (default: all)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=60
bootstrap=1
list=0
harnesses=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --no-bootstrap) bootstrap=0; shift ;;
    --list) list=1; shift ;;
    -*) echo "usage: $0 [--time SECONDS] [--build DIR] [--no-bootstrap] [--list] [HARNESS...]" >&2; exit 2 ;;
    *) harnesses+=("$1"); shift ;;
  esac
done
if [ ${#harnesses[@]} -eq 0 ]; then
  for d in "$root"/tests/fuzz/corpus/*/; do harnesses+=("$(basename "$d")"); done
fi
if [ $list -eq 1 ]; then printf '%s\n' "${harnesses[@]}"; exit 0; fi

if ! command -v clang++ >/dev/null || [ ! -d /usr/lib/llvm-14/lib/clang ]; then
  [ $bootstrap -eq 1 ] || { echo "fuzz: clang is missing (tools/bootstrap.sh --fuzz)" >&2; exit 1; }
  "$root/tools/bootstrap.sh" --fuzz
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DLX9_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    >"$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
fi
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$build" --target "${targets[@]}" >"$build.build.log" 2>&1 ||
  { tail -n 40 "$build.build.log"; exit 1; }

findings_dir=$build/fuzz-findings
mkdir -p "$findings_dir"
status=0
printf '%-16s %12s %10s %8s %9s\n' harness executions exec/s edges findings
for h in "${harnesses[@]}"; do
  work=$build/campaign/$h
  mkdir -p "$work"
  log=$build/campaign/$h.log
  before=$(find "$findings_dir" -name "$h-*" | wc -l)
  # A finding stops this harness; the rest still run.
  "$build/bin/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings_dir/$h-" "$work" "$root/tests/fuzz/corpus/$h" >"$log" 2>&1 || true
  after=$(find "$findings_dir" -name "$h-*" | wc -l)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  # A harness stopped by its first input has no coverage line: that must not end the campaign.
  edges=$({ grep -o 'cov: [0-9]*' "$log" || true; } | tail -1 | cut -d' ' -f2)
  printf '%-16s %12s %10s %8s %9s\n' "$h" "${runs:-?}" "${rate:-?}" "${edges:-?}" $((after - before))
  [ "$after" -eq "$before" ] || status=1
done
[ $status -eq 0 ] || echo "findings in $findings_dir (logs in $build/campaign)"
exit $status
