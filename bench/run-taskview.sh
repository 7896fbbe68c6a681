#!/usr/bin/env bash
# Detail view figures: bench/run-taskview.sh [build-dir] [songs]
# Import and draw of a task with many songs, cold and warm media-length cache
# and a missing folder; the longest time the UI thread was blocked.
set -euo pipefail
build=${1:-build}
songs=${2:-500}
cmake --build "$build" --target taskview_bench >/dev/null
KOLVA_AUDIO_SINK="fakesink" "$build/bench/taskview_bench" "$songs"
