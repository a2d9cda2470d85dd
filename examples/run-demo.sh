#!/usr/bin/env bash
# Runs kor on the bundled example, once per dialogue input file, from the top of the checkout.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
for input in examples/plot1-method1.in examples/plot2-method2.in examples/plot3-method3.in; do
  echo "=== kor < $input"
  "$build/driver/kor" < "$input"
  echo "(exit status $?)"
done
