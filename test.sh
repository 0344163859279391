#!/usr/bin/env bash
# Sets up, builds and runs every test (ctest). With ZORVAN_SANITIZE=1 it also builds a second
# tree with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests there.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
(cd "${ZORVAN_BUILD_DIR:-build}" && ctest --output-on-failure -j 2)
if [ "${ZORVAN_SANITIZE:-0}" = 1 ]; then
  ZORVAN_BUILD_DIR=build-sanitize ZORVAN_CMAKE_ARGS="-DZORVAN_SANITIZE=ON -DZORVAN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug" \
    ./scripts/setup.sh
  (cd build-sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j 2)
fi
