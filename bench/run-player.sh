#!/usr/bin/env bash
# Player figures: bench/run-player.sh [build-dir] [runs]
#  - play() to first audio buffer (WAV, MP3): first play and median
#  - silence between consecutive entries (gapless, and at clip hand-overs)
#  - clip length and start error
#  - media length lookup cold (discoverer) and cached
# A silent real-time capturing sink stands in for the sound card. The first
# run is without warm-up (cold plugin loading), the second with it.
set -euo pipefail
build=${1:-build}
runs=${2:-15}
cmake --build "$build" --target player_bench >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "== without warmUp (cold process) =="
"$build/bench/player_bench" 3 --no-warmup 2>/dev/null | grep -E "first buffer"
echo "== with warmUp =="
"$build/bench/player_bench" "$runs"
