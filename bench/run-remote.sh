#!/usr/bin/env bash
# Remote control figures of the real program on a private session bus:
# bench/run-remote.sh [build-dir] [calls]
#  - round trip of Status, Pause+Resume, Reload and SetSchedule over the bus
#    (one client process, GLib's D-Bus), median and max
#  - PlayTask: its answer, and the call to the first captured sound
#  - `kolva --status` as a process from a shell (start, ask, print, end)
# Runs headless with a file sink and private HOME/XDG folders.
set -euo pipefail
if [ -z "${KOLVA_BENCH_OWN_BUS:-}" ]; then
  KOLVA_BENCH_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
build=${1:-build}
calls=${2:-200}
cmake --build "$build" --target kolva kolva_app_folder >/dev/null

. "$(dirname "$0")/lib/private-home.sh"
cp -r "$build/app" "$work/app"
gst-launch-1.0 -q audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=600 \
  ! audio/x-raw,format=S16LE,rate=44100,channels=1 ! wavenc ! filesink location="$work/bell.wav"
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<Tasklist>'
  printf '<Task Enabled="False" Title="早操" Volume="100" StartTime="03:00:00" Duration="" StopTime="" PowerOff="False">'
  printf '<Region Title="铃声" Volume="-1" Sort="0" Repeat="-1" Duration="">'
  printf '<Song Repeat="0" StartTime="" Duration="" SongFile="%s"/></Region></Task>\r\n' "$work/bell.wav"
  printf '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/app/user/task.xtask.dll"
export QT_QPA_PLATFORM=offscreen KOLVA_POWER_OFF_CMD=true
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! filesink location=$work/capture.raw append=true sync=true buffer-mode=unbuffered"
"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kolva.Scheduler 2>/dev/null | grep -q true && break
  sleep 0.1
done

APP=$work/app CAPTURE=$work/capture.raw CALLS=$calls /usr/bin/python3 - <<'PY'
import os, statistics, subprocess, time
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
def call(method, args=None):
    t = time.perf_counter()
    bus.call_sync('org.kolva.Scheduler', '/org/kolva/Scheduler', 'org.kolva.Scheduler1', method,
                  args, None, 0, 5000, None)
    return (time.perf_counter() - t) * 1000
def show(name, values):
    print('%-34s median %6.2f ms  max %6.2f ms  (%d calls)' %
          (name, statistics.median(values), max(values), len(values)))
n = int(os.environ['CALLS'])
show('Status', [call('Status') for _ in range(n)])
capture = os.environ['CAPTURE']
start = time.perf_counter()
answered = call('PlayTask', GLib.Variant('(s)', ('早操',)))
while not (os.path.exists(capture) and os.path.getsize(capture) > 0):
    time.sleep(0.0005)
print('PlayTask answered in %.2f ms, first sound %.1f ms after the call' %
      (answered, (time.perf_counter() - start) * 1000))
time.sleep(1)
show('Pause + Resume (each)', [call(m) for _ in range(n // 10) for m in ('Pause', 'Resume')])
show('Reload', [call('Reload') for _ in range(n // 10)])
off = [];  on = []
for _ in range(5):
    off.append(call('SetSchedule', GLib.Variant('(b)', (False,))))
    time.sleep(0.7)  # the stop-all's wait
    on.append(call('SetSchedule', GLib.Variant('(b)', (True,))))
show('SetSchedule off (answer)', off)
show('SetSchedule on', on)
runs = []
for _ in range(10):
    t = time.perf_counter()
    subprocess.run([os.environ['APP'] + '/kolva', '--status'], capture_output=True, check=True)
    runs.append((time.perf_counter() - t) * 1000)
show('kolva --status (whole process)', runs)
PY
