#!/usr/bin/env bash
# Start-up figures of the main window: bench/run-startup.sh [build-dir] [runs] [idle-seconds]
#  - cold start (process launch to window exposed, and to schedule on): median of runs
#  - resident memory 2 s after start-up, of the bench process and of the real program
#  - CPU of the real program while idle (schedule on, nothing due), over idle-seconds
# Runs headless (offscreen) from a temporary copy of the application folder,
# with a silent sink and private HOME/XDG folders.
set -euo pipefail
build=${1:-build}
runs=${2:-5}
idle=${3:-60}
cmake --build "$build" --target startup_bench kolva kolva_app_folder kolva_sample_tasks >/dev/null

. "$(dirname "$0")/lib/private-home.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD=true
cp -r "$build/app" "$work/app"

ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

shown=() scheduled=()
for i in $(seq 1 "$runs"); do
  launch=$(date +%s%N)
  out=$("$build/bench/startup_bench" "$work/app" 0)
  get() { sed -n "s/^$1=//p" <<<"$out"; }
  shown+=("$(ms "$launch" "$(get shown_ns)")")
  scheduled+=("$(ms "$launch" "$(get schedule_ns)")")
  [ "$(get schedule_on)" = 1 ] || { echo "schedule did not start" >&2; exit 1; }
  rss_bench=$(get rss_kb)
  tasks=$(get tasks)
done
echo "cold start, launch -> window exposed:  median $(printf '%s\n' "${shown[@]}" | median) ms  (runs: ${shown[*]})"
echo "cold start, launch -> schedule on:     median $(printf '%s\n' "${scheduled[@]}" | median) ms  (runs: ${scheduled[*]})"
echo "tasks loaded: $tasks"
echo "resident memory 2 s after start (bench process): $((rss_bench / 1024)) MB"

# The real program: memory after start-up and CPU while idle.
"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!
sleep 3
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
echo "resident memory 3 s after start (kolva): $((rss / 1024)) MB"
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks); s0=$(date +%s%N)
sleep "$idle"
t1=$(ticks); s1=$(date +%s%N)
awk -v t="$((t1 - t0))" -v hz="$hz" -v a="$s0" -v b="$s1" \
  'BEGIN { w = (b - a) / 1e9; printf "idle CPU (kolva, %.0f s): %.2f s = %.3f %% of one core\n", w, t / hz, 100 * t / hz / w }'
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
echo "resident memory after the idle period (kolva): $((rss / 1024)) MB"
