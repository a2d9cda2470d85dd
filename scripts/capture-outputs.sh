#!/usr/bin/env bash
# Captures everything the programs print and write in the end-to-end tests and in the demo, so that
# a change that must not alter any output can be checked with one diff:
#   scripts/capture-outputs.sh build /tmp/before   # on the old code
#   scripts/capture-outputs.sh build /tmp/after    # on the new code
#   diff -r /tmp/before /tmp/after
# The build must be configured with the tests (make build does).
set -euo pipefail
build=${1:?usage: capture-outputs.sh <build folder> <output folder>}
out=${2:?usage: capture-outputs.sh <build folder> <output folder>}
top=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$out"
mkdir -p "$out/e2e"
out=$(cd "$out" && pwd)
for test in "$top/$build"/tests/e2e/*_e2e_test; do
  # Only the verdict lines are kept: the timings differ from run to run.
  KOR_E2E_CAPTURE="$out/e2e" "$test" 2>&1 | grep -E '^\[ *(PASSED|FAILED) *\]' >> "$out/tests.log" ||
    true
done
"$top/examples/run-demo.sh" "$build" > "$out/demo.txt" 2>&1 || echo "the demo failed" >&2
echo "$(ls "$out/e2e" | wc -l) runs captured in $out"
