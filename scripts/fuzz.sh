#!/usr/bin/env bash
# Fuzzes the parsers of outside input with libFuzzer.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# Configures the clang fuzz build in build-fuzz/ (or $ORVANT_FUZZ_BUILD_DIR), builds the targets (all of
# tests/fuzz/ when none is named; "LayoutFileFuzz" and "fuzz_LayoutFileFuzz" both name one) and runs
# each for SECONDS (default 60), one after the other, starting from its seed corpus. The corpus grows in
# a copy in the build folder, so the committed seeds stay small. Builds and runs are niced, so that other
# work on the machine goes first. Per target it prints the runs, runs per second (of the clock, and of
# processor time), libFuzzer's coverage points ("cov:") at the start and at the end, and whether the run
# ended clean; a crashing, leaking or
# hanging input is kept in the build folder's artifacts/ and named. Exit status 1 when any run was not
# clean, 2 on bad arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANT_FUZZ_BUILD_DIR:-$root/build-fuzz}

seconds=60
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=()
for name in "$@"; do
  name=${name#fuzz_}
  if [ ! -f "$root/tests/fuzz/$name.cpp" ] || [ "$name" = ReplayMain ]; then
    echo "fuzz.sh: no fuzz target $name in tests/fuzz/" >&2
    exit 2
  fi
  targets+=("$name")
done
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$root"/tests/fuzz/*.cpp; do
    name=$(basename "$src" .cpp)
    [ "$name" = ReplayMain ] || targets+=("$name")
  done
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DORVANT_FUZZ=ON -DORVANT_BENCH=OFF >/dev/null
nice -n 19 cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/fuzz/LeakSuppressions.txt}
# A smaller quarantine of freed memory (256 MB by default) spares the page faults of cycling through
# it on every input; a use after free within an input is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
summary=()
all_clean=1
for name in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$name
  artifacts=$build/artifacts/$name/
  log=$build/fuzz-logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  cp -n "$root/tests/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz.sh: $name for ${seconds}s (log $log)"
  status=0
  TIMEFORMAT='%U %S'
  { time nice -n 19 "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1 || status=$?; } 2>"$log.cpu"

  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  # Runs per second of processor time: what the target manages on a core of its own, whatever else
  # the machine was doing.
  cpu_rate=$(awk -v runs="${runs:-0}" '{ t = $1 + $2 } END { if (t > 0) printf "%d", runs / t; else print "?" }' \
    "$log.cpu")
  cov_start=$(sed -n 's/.*INITED cov: \([0-9]*\).*/\1/p' "$log" | head -n 1)
  cov_end=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  if [ "$status" -eq 0 ] && ! grep -q '^==[0-9]*==ERROR\|runtime error:\|^SUMMARY:' "$log"; then
    verdict=clean
  else
    verdict="NOT CLEAN (exit $status): $(grep -o 'Test unit written to .*' "$log" | tail -n 1)"
    all_clean=0
  fi
  summary+=("$(printf '%-24s runs %-10s runs/s %-6s per cpu s %-6s cov %s -> %s  %s' "$name" "${runs:-?}" \
    "${rate:-?}" "$cpu_rate" "${cov_start:-?}" "${cov_end:-?}" "$verdict")")
done

printf '%s\n' "${summary[@]}"
[ "$all_clean" -eq 1 ]
