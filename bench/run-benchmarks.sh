#!/usr/bin/env bash
# Runs every benchmark executable built into BUILD/bench (bench_*), in name
# order, and passes their BENCH lines through.
set -u
build="${1:-build}"
status=0
# The program's modules (the network module) as the build tree has them.
export SKYRENDEL_MODULE_PATH="${SKYRENDEL_MODULE_PATH:-$(cd "$build" && pwd)/app}"
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  "$b" || { echo "benchmark failed: $b" >&2; status=1; }
done
exit $status
