#!/usr/bin/env bash
# Builds the fuzz targets (clang, into build-fuzz/), writes their seed corpora and runs each for
# a bounded time: fuzz/run.sh [SECONDS_PER_TARGET, default 60]. A finding (crash, sanitizer
# report, failed property, time-out) fails the run; its input is printed into the log in hex and
# base64 and kept under build-fuzz/fuzz-work/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
ZORVAN_FUZZ=1 ZORVAN_BUILD_DIR=$build ZORVAN_BUILD_TARGETS=fuzz_targets ./scripts/setup.sh
work=$build/fuzz-work
rm -rf "$work/seeds" "$work/findings"
mkdir -p "$work/findings"
./fuzz/make-seeds.sh "$work/seeds"

status=0
for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target")
  seeds=$work/seeds/$name
  [ -d "$seeds" ] || seeds=$work/seeds/common
  corpus=$work/corpus/$name
  mkdir -p "$corpus"
  echo "== $name, ${seconds} s"
  if "$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
       -artifact_prefix="$work/findings/$name-" "$corpus" "$seeds" > "$work/$name.log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$name.log" || tail -n 2 "$work/$name.log"
  else
    status=1
    echo "!! $name found a failing input:"
    tail -n 60 "$work/$name.log"
    for finding in "$work/findings/$name-"*; do
      [ -e "$finding" ] || continue
      echo "-- $finding ($(stat -c %s "$finding") bytes), hex:"
      od -An -tx1 -v "$finding" | head -n 256
      echo "-- base64:"
      base64 -w 0 "$finding"
      echo
    done
  fi
done
exit $status
