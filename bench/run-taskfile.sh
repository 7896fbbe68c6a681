#!/usr/bin/env bash
# Task file load/save figures (medians of 5 runs): bench/run-taskfile.sh [build-dir]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target taskfile_bench >/dev/null
"$build/bench/taskfile_bench" 5
