#!/usr/bin/env bash
# Task editor window figures (medians of 5 runs, offscreen): bench/run-task-editor.sh [build-dir]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target task_editor_bench >/dev/null
"$build/bench/task_editor_bench" 5
