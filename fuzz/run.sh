#!/usr/bin/env bash
# Runs every fuzz target side by side for the given number of seconds, each
# starting from its seed corpus in fuzz/corpus/<target>/ and adding what it
# finds to BUILD/corpus/<target>/. Fails when a target finds a crash, a
# sanitizer report, a slow input or a mismatch; the input that did it is kept
# as BUILD/artifacts/<target>-*.
# Usage: fuzz/run.sh BUILD SECONDS
set -uo pipefail

build=$1
seconds=$2
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
targets=(fileformat journal textmodel)

mkdir -p "$build/artifacts"
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  "$build/fuzz_$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "$seeds/$target" >"$build/$target.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  if wait "${pids[$i]}"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log")
    echo "fuzz_$target: ${runs:-?} inputs in ${seconds} s, no failure"
  else
    echo "fuzz_$target FAILED; the end of $build/$target.log:"
    tail -n 60 "$build/$target.log"
    status=1
  fi
done
exit $status
