#!/usr/bin/env bash
# Runs kor on the bundled example, once per dialogue input file, in the directory <build>/demo, and
# shows what each run printed and the text files it wrote there.  The gallery runs draw every
# final plot type to PNG (and a few to GIF and PostScript); their images stay in <build>/demo.
# An installed copy runs the installed programs: KOR_BIN names their folder and KOR_DEMO the
# folder to run in (e.g. KOR_BIN=$prefix/bin KOR_DEMO=/tmp/demo $prefix/share/kor/examples/run-demo.sh).
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
kor=$(cd "${KOR_BIN:-$top/$build/bin}" && pwd)/kor
demo=${KOR_DEMO:-$top/$build/demo}
rm -rf "$demo"
mkdir -p "$demo"
ln -s "$top/examples" "$demo/examples"
cp "$top/examples/trace.ucd" "$demo/trace.ucd"  # read by resampling from the working directory
cd "$demo"
# The graphics runs share one server, which ends a while after the last of them.
export MPLT_IDLE_SECONDS=${MPLT_IDLE_SECONDS:-30}
show() {
  for f in "$@"; do
    if [ -s "$f" ]; then
      echo "--- $f"
      cat "$f"
    fi
  done
}
run() {
  local input=$1
  rm -f txt.dmp txt.dmp_bxw kor_statspage.txt
  before=$(ls)
  echo "=== kor < examples/$input.in"
  "$kor" < "examples/$input.in"
  echo "(exit status $?)"
  show txt.dmp txt.dmp_bxw kor_statspage.txt
  for f in $(ls); do
    case "$f" in
      *.png | *.gif | *.ps) case "$before" in *"$f"*) ;; *) echo "--- drew $f" ;; esac ;;
    esac
  done
}
for input in plot1-method1 plot2-method2 plot3-method3 plot1-display0 plot3-resample \
             gallery/timeseries gallery/scatter gallery/skillscore gallery/binned \
             gallery/histogram gallery/roc gallery/attribute gallery/crps \
             gallery/timeseries-gif gallery/binned-ps gallery/attribute-gif \
             gallery/performance gallery/taylor gallery/reliability-ci gallery/roc-ci; do
  run "$input"
done
# From verification records to pictures: kor_select writes the trace data file and trace.ucd from
# the record archive examples/records, and kor draws two plots of them.
echo "=== kor_select -c examples/select/records.ctl -o records.trc -u trace.ucd examples/records"
"${kor%/kor}/kor_select" -c examples/select/records.ctl -o records.trc -u trace.ucd examples/records
echo "(exit status $?)"
for input in select/timeseries select/skillscore; do
  run "$input"
done
# The same from the .stat files of the Model Evaluation Tools (examples/met).
echo "=== kor_select -c examples/select/met.ctl -o met.trc -u trace.ucd examples/met"
"${kor%/kor}/kor_select" -c examples/select/met.ctl -o met.trc -u trace.ucd examples/met
echo "(exit status $?)"
for input in select/met-performance select/met-skillscore; do
  run "$input"
done
echo "=== The demo ran in $demo: its text outputs and pictures (.png, .gif, .ps) are there."
