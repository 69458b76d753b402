#!/usr/bin/env bash
# Builds the component and runs the demo till on an embedded SQLite venue. Arguments go to the till.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target qrvtavoli-demo qrvtavoli-notify qrvtavoli-journal
exec build/release/qrvtavoli-demo "$@"
