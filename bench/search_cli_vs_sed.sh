#!/usr/bin/env bash
# zorvan-cli replace and swap against the sed commands that do the same to a big program, with
# the outputs going to a pipe. The machine is shared, so the pairs run in turn, in rounds.
#   bench/search_cli_vs_sed.sh [BUILD_DIR] [FILE]
set -euo pipefail
build=${1:-build-rel}
file=${2:-$("$build/bench/zorvan-bench-program" 1000000)}
cli="$build/cli/zorvan-cli"
for round in 1 2 3; do
  echo "--- round $round"
  hyperfine -N --output=pipe --warmup 1 --runs 5 \
    "$cli replace --find G01 --with G1 --from-top $file" \
    "sed s/G01/G1/g $file"
  hyperfine -N --output=pipe --warmup 1 --runs 5 \
    "$cli swap --from X --to Y --whole-file $file" \
    "sed -e s/X/@/g -e s/Y/X/g -e s/@/Y/g $file"
done
