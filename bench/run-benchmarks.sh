#!/usr/bin/env bash
# Runs every benchmark executable built into BUILD/bench (bench_*), in name
# order, and passes their BENCH lines through.
set -u
build="${1:-build}"
status=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  "$b" || { echo "benchmark failed: $b" >&2; status=1; }
done
exit $status
