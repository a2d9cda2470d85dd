#!/usr/bin/env bash
# Installs the built programs into a scratch prefix and runs them from there: every program tells
# its version, the manual pages open with man -M, and the installed demo draws its pictures with
# the installed programs.
#   install_test.sh <build folder> <cmake>
set -euo pipefail
build=$1
cmake=${2:-cmake}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" > "$prefix/install.log"
for program in kor kor_plots kor_files kor_select mplt kor_batch; do
  version=$("$prefix/bin/$program" --version)
  [ "$version" = "$program 2026.12" ] || { echo "$program --version: $version"; exit 1; }
  page="$prefix/share/man/man1/$program.1"
  [ -s "$page" ] || { echo "no manual page $page"; exit 1; }
  if command -v man > /dev/null; then
    MANPAGER=cat man -M "$prefix/share/man" "$program" 2> /dev/null | grep -q "^NAME" ||
      { echo "man -M $prefix/share/man $program shows no page"; exit 1; }
  fi
done
for file in share/kor/MPLT.ERR share/doc/kor/README.md share/doc/kor/docs/codes.md \
            share/doc/kor/docs/record-format.md \
            share/doc/kor/docs/gallery/records-skillscore.png share/kor/examples/run-demo.sh; do
  [ -s "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
KOR_BIN="$prefix/bin" KOR_DEMO="$prefix/demo" MPLT_IDLE_SECONDS=5 \
  "$prefix/share/kor/examples/run-demo.sh" > "$prefix/demo.log" 2>&1 ||
  { tail -20 "$prefix/demo.log"; exit 1; }
tail -1 "$prefix/demo.log" | grep -q "^=== The demo ran in $prefix/demo:" ||
  { echo "the demo does not say where it ran"; tail -3 "$prefix/demo.log"; exit 1; }
for picture in timeseries.png records-skillscore.png met-performance.png; do
  [ -s "$prefix/demo/$picture" ] || { echo "the installed demo drew no $picture"; exit 1; }
done
grep -q "^(exit status 0)" "$prefix/demo.log"
if grep -q "STOP" "$prefix/demo.log"; then echo "a demo run stopped"; exit 1; fi
echo "installed and ran from $prefix"
