#!/usr/bin/env bash
# Runs every benchmark of a build folder and prints its figures.
# Usage: bash bench/run.sh BUILD_FOLDER   (for example build/release)
set -euo pipefail
build=${1:?usage: bash bench/run.sh BUILD_FOLDER}
# Without a display the benchmarks paint off screen.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
fi
found=0
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] && [ -f "$bench" ] || continue
  found=1
  echo "== $(basename "$bench")"
  if [ "$(basename "$bench")" = bench_detect_corpus ]; then
    # It reads the files the scorer makes and names.
    python3 "$(dirname "$0")/score_detection.py" "$bench" --lines 100 --texts 20
  else
    "$bench"
  fi
  echo
done
if [ "$found" = 0 ]; then
  echo "No benchmarks in $build/bench: build the 'benchmarks' target first." >&2
  exit 1
fi
