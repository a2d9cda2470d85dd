#!/usr/bin/env bash
# Draws the picture gallery of docs/kor.md: kor runs every dialogue of examples/gallery/ whose
# control file writes a PNG, in a scratch folder, and the images are copied to the output folder.
#   scripts/make-gallery.sh [build folder] [output folder]    (defaults: build, docs/gallery)
# Fails when a run writes no image.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
out=${2:-$top/docs/gallery}
mkdir -p "$out"
out=$(cd "$out" && pwd)
kor=$(cd "$top/$build" && pwd)/bin/kor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$top/examples" "$work/examples"
cp "$top/examples/trace.ucd" "$work/trace.ucd"  # the box-whisker objects resample it
cd "$work"
# The runs share one graphics server, which ends soon after the last of them.
export MPLT_IDLE_SECONDS=${MPLT_IDLE_SECONDS:-5}
count=0
for ctl in "$top"/examples/gallery/*.ctl; do
  grep -q '^DEV = PNG' "$ctl" || continue
  name=$(basename "$ctl" .ctl)
  "$kor" < "examples/gallery/$name.in" > "$name.log" 2>&1
  if [ ! -s "$name.png" ]; then
    echo "make-gallery: $name.png was not written:" >&2
    cat "$name.log" >&2
    exit 1
  fi
  count=$((count + 1))
done
# The worked example of the README: from the record archive to a skill-score plot, in a folder of
# its own (its trace.ucd is the one kor_select writes).
mkdir records
(
  cd records
  ln -s "$top/examples" examples
  "$top/$build/bin/kor_select" -c examples/select/records.ctl -o records.trc -u trace.ucd \
    examples/records > select.log 2>&1
  "$kor" < examples/select/skillscore.in > records-skillscore.log 2>&1
)
if [ ! -s records/records-skillscore.png ]; then
  echo "make-gallery: records-skillscore.png was not written:" >&2
  cat records/select.log records/records-skillscore.log >&2
  exit 1
fi
mv records/records-skillscore.png .
count=$((count + 1))
cp ./*.png "$out/"
echo "$count images in $out"
