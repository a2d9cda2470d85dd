#!/usr/bin/env bash
# Builds the programs (by default kor, kor_plots, kor_files, kor_select and the graphics server mplt) into
# <build>/bin, quietly: one line while building, the whole compiler output in
# <build>/build-programs.log, and the end of that log when something fails.
#   scripts/build-programs.sh <build folder> <jobs> [target...]
# A build folder that is not configured yet is configured without the tests and the benchmarks,
# which need GoogleTest and Google Benchmark; `make test` turns them on in the same folder.  A
# folder configured before keeps its settings.
set -euo pipefail
build=${1:-build}
jobs=${2:-2}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(kor kor_plots kor_files kor_select mplt)
cd "$(dirname "$0")/.."
mkdir -p "$build"
log="$build/build-programs.log"
: > "$log"
start=$SECONDS
fail() {
  echo
  echo "$1; the end of $log:"
  tail -n 30 "$log"
  exit 1
}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOR_BUILD_TESTS=OFF \
    -DKOR_BUILD_BENCH=OFF >> "$log" 2>&1 || fail "Configuring $build failed"
fi
what="Building ${targets[*]} in $build/bin"
printf '%s ...' "$what"
# On a terminal the line shows the program being built and its progress (the programs are built
# one after the other, each from 0 to 100 %); elsewhere it waits for the end.
tty=false
[ -t 1 ] && tty=true
if ! cmake --build "$build" -j "$jobs" --target "${targets[@]}" 2>&1 | tee -a "$log" | {
  current=0
  while IFS= read -r line; do
    $tty || continue
    [[ $line =~ ^\[\ *([0-9]+)%\]\ (.*)$ ]] || continue
    printf '\r%s ... %-10s %3s%%' "$what" "${targets[current]:-}" "${BASH_REMATCH[1]}"
    if [ "${BASH_REMATCH[2]}" = "Built target ${targets[current]:-}" ]; then
      current=$((current + 1))
    fi
  done
}; then
  fail "The build failed"
fi
$tty && printf '\r%s ... %16s\r%s ...' "$what" "" "$what"
echo " done in $((SECONDS - start)) s (compiler output in $log)"
