#!/usr/bin/env bash
# Longest UI-thread stall of the whole program's object graph over start-up,
# a list reload, a 50-song task of unseen files and FIFOs that answer slowly,
# and an insert: bench/run-stall.sh [build-dir] [songs]  (target: under 20 ms)
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target stall_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD=true
"$build/bench/stall_bench" "${2:-50}" 2>"$work/stderr.log" || { cat "$work/stderr.log" >&2; exit 1; }
