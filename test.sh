#!/usr/bin/env bash
# Sets up, builds and runs every test (ctest). ZORVAN_SANITIZE=1 builds a second tree with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests there too.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
(cd "${ZORVAN_BUILD_DIR:-build}" && ctest --output-on-failure -j 2)
