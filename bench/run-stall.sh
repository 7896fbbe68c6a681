#!/usr/bin/env bash
# Longest UI-thread stall of the whole program's object graph over start-up,
# a list reload, a 50-song task of unseen files, FIFOs that answer slowly and
# files on a share whose every lookup takes [slow-ms] (a preloaded shim, 0:
# none), and an insert: bench/run-stall.sh [build-dir] [songs] [slow-ms]
# (target: under 20 ms)
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target stall_bench slow_share_shim >/dev/null
. "$(dirname "$0")/lib/private-home.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD=true
slow=${3:-200}
preload=()
if [ "$slow" != 0 ]; then
  preload=(env LD_PRELOAD="$(cd "$build/bench" && pwd)/libslow_share_shim.so"
    KOLVA_SLOW_PATH=/slowshare/ KOLVA_SLOW_MS="$slow")
fi
"${preload[@]}" "$build/bench/stall_bench" "${2:-50}" 2>"$work/stderr.log" ||
  { cat "$work/stderr.log" >&2; exit 1; }
