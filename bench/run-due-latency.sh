#!/usr/bin/env bash
# Due tick to first audio buffer on the real players: bench/run-due-latency.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target due_latency_bench >/dev/null
"$build/bench/due_latency_bench" "${2:-15}"
