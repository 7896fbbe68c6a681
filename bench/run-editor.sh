#!/usr/bin/env bash
# Region editor figures with 300 songs (medians of 5 runs): bench/run-editor.sh [build-dir]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target editor_bench >/dev/null
"$build/bench/editor_bench" 5
