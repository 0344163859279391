#!/usr/bin/env bash
# Times `zorvan-cli colours` against `zorvan-cli shift` on one program, interleaved (the machine
# may be shared), and prints the medians and their ratio. Use a Release build:
#   ZORVAN_BUILD_DIR=build-rel ZORVAN_CMAKE_ARGS=-DCMAKE_BUILD_TYPE=Release ./scripts/setup.sh
#   scripts/colours-vs-shift.sh build-rel/cli/zorvan-cli "$(build-rel/bench/zorvan-bench-program 1000000)" [runs]
set -euo pipefail
tool=$1 file=$2 runs=${3:-7}
seconds() { local start end; start=$(date +%s.%N); "$@" > /dev/null; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
shift_times=() colour_times=()
for _ in $(seq "$runs"); do
  shift_times+=("$(seconds "$tool" shift --x 1 "$file")")
  colour_times+=("$(seconds "$tool" colours "$file")")
done
s=$(printf '%s\n' "${shift_times[@]}" | median)
c=$(printf '%s\n' "${colour_times[@]}" | median)
echo "shift ${s}s  colours ${c}s  colours/shift $(awk -v c="$c" -v s="$s" 'BEGIN { printf "%.2f", c / s }')"
