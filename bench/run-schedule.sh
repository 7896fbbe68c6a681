#!/usr/bin/env bash
# Schedule tick and region pass figures: bench/run-schedule.sh [build-dir] [tasks] [ticks]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target schedule_bench >/dev/null
"$build/bench/schedule_bench" "${2:-10000}" "${3:-2000}"
