#!/usr/bin/env bash
# Sets up, builds and starts the editor; arguments go to it (./run.sh prog.ncd).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
exec "${ZORVAN_BUILD_DIR:-build}/app/zorvan" "$@"
