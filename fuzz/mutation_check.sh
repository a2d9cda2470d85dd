#!/usr/bin/env bash
# The end-to-end mutation check: kor built with the address and undefined-behaviour sanitizers runs
# the bundled example's dialogues on mutated copies of the example trace data file and control
# file.  Every run must end with exit status 0, without a sanitizer report, within a second.
#
#   fuzz/mutation_check.sh <sanitizer build> [runs]      (default 300 runs)
#
# The mutations are repeatable (the shell's random sequence starts from a fixed value): bytes
# overwritten with any value, numbers replaced by ones at and past the integer ranges, lines
# deleted, doubled or cut short, the file cut short.  kor runs from a copy in the work folder, so
# that a control file mutated into a graphics device finds no graphics server to start.
set -euo pipefail
build=${1:?usage: mutation_check.sh <sanitizer build> [runs]}
runs=${2:-300}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
kor=$build/bin/kor
[ -x "$kor" ] || { echo "$kor is not built" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kor-mutation.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/run"
cp "$kor" "$work/bin/kor"
RANDOM=4711

numbers=(99999999999999999999 9223372036854775808 2147483648 2147483647 -2147483648 -9999
         0 -1 65536 1E9999999999999999999 1.0D+400 1E-400 NaN)
dialogues=(plot1-method1 plot2-method2 plot3-method3 plot1-display0 plot3-resample)

# One mutation of file $1 in place.
mutate() {
  local file=$1 size lines n
  size=$(stat -c %s "$file")
  lines=$(wc -l < "$file")
  [ "$size" -gt 0 ] || return 0
  [ "$lines" -gt 0 ] || lines=1
  case $((RANDOM % 6)) in
    0 | 1)  # one to four bytes overwritten with any value
      for ((k = 0; k < 1 + RANDOM % 4; ++k)); do
        printf "\\x$(printf %02x $((RANDOM % 256)))" |
          dd of="$file" bs=1 seek=$(((RANDOM * 32768 + RANDOM) % size)) conv=notrunc status=none
      done
      ;;
    2)  # a number of a random line replaced by one at or past a range
      n=${numbers[RANDOM % ${#numbers[@]}]}
      awk -v line=$((1 + RANDOM % lines)) -v field=$((1 + RANDOM % 5)) -v n="$n" '
        NR == line && NF > 0 { $(1 + (field - 1) % NF) = n } { print }' "$file" > "$file.new"
      mv "$file.new" "$file"
      ;;
    3)  # a line deleted
      sed -i "$((1 + RANDOM % lines))d" "$file"
      ;;
    4)  # a line doubled
      sed -i "$((1 + RANDOM % lines))p" "$file"
      ;;
    5)  # the file cut short
      truncate -s $(((RANDOM * 32768 + RANDOM) % size)) "$file"
      ;;
  esac
}

failures=0
slowest=0
for ((i = 1; i <= runs; ++i)); do
  run="$work/run"
  rm -rf "$run"
  mkdir -p "$run"
  cp "$top/examples/example.trc" "$run/example.trc"
  cp "$top/examples/trace.ucd" "$run/trace.ucd"
  dialogue=${dialogues[RANDOM % ${#dialogues[@]}]}
  control=example.ctl
  [ "$dialogue" = plot3-resample ] && control=resample.ctl
  cp "$top/examples/$control" "$run/$control"
  # Mostly the trace data file, sometimes the control file, sometimes both; one to three times.
  for ((m = 0; m < 1 + RANDOM % 3; ++m)); do
    case $((RANDOM % 4)) in
      0) mutate "$run/$control" ;;
      *) mutate "$run/example.trc" ;;
    esac
  done
  sed 's|^examples/||' "$top/examples/$dialogue.in" > "$run/input"
  start=$(date +%s%N)
  status=0
  (cd "$run" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     timeout 20 "$work/bin/kor" < input > stdout 2> stderr) || status=$?
  ms=$((($(date +%s%N) - start) / 1000000))
  [ "$ms" -gt "$slowest" ] && slowest=$ms
  problem=""
  [ "$status" -ne 0 ] && problem="exit status $status"
  grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$run/stderr" && problem="sanitizer report"
  [ "$ms" -ge 1000 ] && problem="${problem:+$problem, }$ms ms"
  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    kept="$build/mutation-failures/run$i"
    mkdir -p "$kept"
    cp "$run"/* "$kept/"
    echo "run $i ($dialogue): $problem; inputs kept in $kept" >&2
  fi
done
echo "mutation check: $runs runs, $failures failed, slowest ${slowest} ms"
[ "$failures" -eq 0 ]
