#!/usr/bin/env bash
# Start of a task to its first audio buffer: bench/run-due-latency.sh [build-dir] [runs] [tasks]
#  1. in process, real controller and GStreamer players, a capturing fakesink:
#     due tick -> first buffer (WAV, MP3), and start second -> first buffer
#     with the real second timer on the system clock over [tasks] tasks;
#  2. the real program (kolva), its output captured by a file sink given as
#     KOLVA_AUDIO_SINK and watched from outside: start second -> first sound
#     written, over [tasks] tasks two seconds apart; and how late the program
#     says it started them (history.log).
# Targets: median under 20 ms, maximum under 50 ms.
set -euo pipefail
build=${1:-build}
runs=${2:-15}
tasks=${3:-20}
cmake --build "$build" --target due_latency_bench kolva kolva_app_folder >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "== in process =="
"$build/bench/due_latency_bench" "$runs" "$tasks" 2>/dev/null

echo "== the real program, output captured by a file sink =="
. "$(dirname "$0")/lib/private-home.sh"
export KOLVA_POWER_OFF_CMD=true
cp -r "$build/app" "$work/app"
python3 - "$work/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 660 * i / 44100)))
                           for i in range(int(0.4 * 44100))))
PY
first=$("$build/bench/due_latency_bench" --write-tasks "$work/app" "$work/tone.wav" "$tasks" 6)
out=$work/out.raw
export KOLVA_AUDIO_SINK="audioconvert ! audio/x-raw,format=S16LE ! filesink location=$out append=true sync=true buffer-mode=unbuffered"
"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!
python3 - "$out" "$first" "$tasks" <<'PY'
import math, os, sys, time
path, first, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size, last, lat = 0, 0.0, []
while time.time() < first + 2 * n + 5 and len(lat) < n:
    try:
        s = os.stat(path).st_size
    except FileNotFoundError:
        s = 0
    now = time.time()
    if s > size:
        if now - last > 0.5 and now >= first:  # a new task's first sound
            lat.append((now - math.floor(now)) * 1000)
        last, size = now, s
    time.sleep(0.0005)
lat.sort()
if len(lat) < n:
    print(f"only {len(lat)} of {n} tasks were heard")
if lat:
    print(f"start second -> first sound written (kolva, watched every 0.5 ms): median "
          f"{lat[len(lat) // 2]:.1f} ms, max {lat[-1]:.1f} ms ({len(lat)} tasks)")
PY
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
hist=$(find "$work" -name history.log | head -1)
if [ -n "$hist" ]; then
  grep -o '晚[0-9]*毫秒' "$hist" | tr -dc '0-9\n' | sort -n |
    awk '{ v[NR] = $1 } END { if (NR) printf "start late by the program'"'"'s own account (history.log): median %d ms, max %d ms (%d starts)\n", v[int((NR + 1) / 2)], v[NR], NR }'
fi
