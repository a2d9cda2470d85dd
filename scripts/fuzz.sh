#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/ one after another and reports, per target, the executions,
# the coverage (libFuzzer's cov and ft figures) and whether it found a fault.
#
#   scripts/fuzz.sh <fuzz build> <seconds per target> [target...]
#
# The build is one configured with -DKOR_FUZZ=ON (make fuzz does it).  Each target starts from
# its starting corpus fuzz/corpus/<name> (replayed first, then mutated) and keeps what it learns
# in <fuzz build>/corpus/<target>, so that a later run goes on from there.  A fault leaves its input
# in <fuzz build>/faults/ and makes the script fail; the logs are in <fuzz build>/logs/.
# FUZZ_JOBS (default 1, at most 2) runs that many fuzzing processes per target.
set -euo pipefail
build=${1:?usage: fuzz.sh <fuzz build> <seconds per target> [target...]}
seconds=${2:?usage: fuzz.sh <fuzz build> <seconds per target> [target...]}
shift 2
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
jobs=${FUZZ_JOBS:-1}
[ "$jobs" -gt 2 ] && jobs=2

# Target name, corpus folder and dictionary.
targets=(
  "trace_reader_fuzz trace_reader trace"
  "control_file_fuzz control_file control"
  "dialogue_fuzz dialogue dialogue"
  "plot_driver_fuzz trace_reader trace"
  "ucd_fuzz ucd none"
  "probability_fuzz probability none"
  "files_control_fuzz files_control files"
  "format_fuzz format format"
  "link_reply_fuzz link_reply words"
  "server_request_fuzz server_request words"
  "select_fuzz select select"
)

mkdir -p "$build/logs" "$build/faults"
summary="$build/logs/summary.txt"
printf '%-22s %12s %8s %8s  %s\n' target executions cov ft result | tee -a "$summary"
failed=0
for entry in "${targets[@]}"; do
  read -r name corpus dict <<< "$entry"
  if [ $# -gt 0 ] && [[ ! " $* " =~ " $name " ]]; then continue; fi
  program="$build/fuzz/$name"
  [ -x "$program" ] || { echo "$program is not built" >&2; exit 2; }
  work="$build/corpus/$name"
  mkdir -p "$work"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
           -artifact_prefix="$build/faults/$name-")
  [ "$dict" != none ] && options+=(-dict="$top/fuzz/dict/$dict.dict")
  log="$build/logs/$name.log"
  status=0
  if [ "$jobs" -gt 1 ]; then
    # Several processes share the corpus folder; libFuzzer writes one log per job.
    (cd "$build/logs" && "$program" "${options[@]}" -jobs="$jobs" -workers="$jobs" \
       "$work" "$top/fuzz/corpus/$corpus" > "$log" 2>&1) || status=$?
    cat "$build/logs"/fuzz-*.log >> "$log" 2>/dev/null || true
    rm -f "$build/logs"/fuzz-*.log
  else
    "$program" "${options[@]}" "$work" "$top/fuzz/corpus/$corpus" > "$log" 2>&1 || status=$?
  fi
  # The executions of every job, and the coverage of the last status line.
  runs=$(grep -h '^stat::number_of_executed_units:' "$log" | awk '{s += $2} END {print s + 0}')
  last=$(grep -hE '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<< "$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<< "$last")
  result=clean
  if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    result="FAULT (see $log)"
    failed=1
  fi
  printf '%-22s %12s %8s %8s  %s\n' "$name" "$runs" "${cov:--}" "${ft:--}" "$result" | tee -a "$summary"
done
exit $failed
