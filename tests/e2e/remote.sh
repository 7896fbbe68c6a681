#!/usr/bin/env bash
# The real program driven from outside on a private session bus: without a
# running copy the command line says so and exits 3; with one, `kolva
# --play-task` rings the task at once into a capturing sink, `playerctl -p
# kolva metadata` names it and `playerctl -p kolva pause` silences it. The
# client calls run without any display, so they cannot have made a window.
#   remote.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
if [ -z "${KOLVA_E2E_OWN_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "FAIL: dbus-run-session is missing" >&2; exit 1; }
  KOLVA_E2E_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib/common.sh"
e2e_need playerctl dbus-send gst-launch-1.0 python3
e2e_app "$1"
export QT_QPA_PLATFORM=offscreen KOLVA_POWER_OFF_CMD=true
capture=$work/capture.raw
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! filesink location=$capture append=true sync=true buffer-mode=unbuffered"

# A 30 s tone in a task far from now (and disabled): only a request plays it.
e2e_tone "$work/media/bell.wav" 440 300 1
enabled=False e2e_task 早操 03:00:00 False "$work/media/bell.wav" |
  e2e_task_list "$work/app/user/task.xtask.dll"

# A request as from a terminal: no display at all, so a window would abort it.
client() {
  env -u DISPLAY -u WAYLAND_DISPLAY ${no_bus:+-u DBUS_SESSION_BUS_ADDRESS} QT_QPA_PLATFORM=xcb \
    "$work/app/kolva" "$@"
}
expect() { # expect CODE TEXT ARGS...: the exit code and a part of the output
  local code=$1 text=$2 out rc=0
  shift 2
  out=$(client "$@" 2>&1) || rc=$?
  [ "$rc" = "$code" ] || fail "kolva $* exited $rc (expected $code): $out"
  grep -qF -- "$text" <<<"$out" || fail "kolva $* printed: $out"
}
bytes() { stat -c %s "$capture" 2>/dev/null || echo 0; }
sounded() { [ "$(bytes)" -gt "$1" ]; } # more than $1 bytes captured (16000 a second)
grows() { local a; a=$(bytes); sleep 0.5; [ "$(bytes)" -gt "$a" ]; }

expect 3 "KOLVA定时播放器没有运行" --play-task 早操
no_bus=1 expect 4 "无法连接会话总线" --status
DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus expect 4 "无法连接会话总线" --status

e2e_start
owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kolva.Scheduler 2>/dev/null | grep -q true
}
e2e_wait 20 owned || fail "the service did not appear on the bus"

expect 1 "没有名为「午休」的任务" --play-task 午休
expect 0 "已开始播放「早操」" --play-task 早操
e2e_wait 10 sounded 16000 || fail "no sound a few seconds after --play-task"
python3 - "$capture" <<'PY' || fail "the capture is silent"
import math, struct, sys
data = open(sys.argv[1], 'rb').read()
samples = struct.unpack('<%dh' % (len(data) // 2), data[:len(data) // 2 * 2])
rms = math.sqrt(sum((s / 32768.0) ** 2 for s in samples) / max(1, len(samples)))
print('capture: %.2f s, rms %.3f' % (len(samples) / 8000, rms))
sys.exit(0 if rms > 0.1 else 1)
PY

meta=$(playerctl -p kolva metadata) || fail "playerctl metadata failed"
grep -q 'xesam:artist *早操' <<<"$meta" || fail "metadata lacks the task: $meta"
grep -q 'xesam:title *bell.wav' <<<"$meta" || fail "metadata lacks the song: $meta"
[ "$(playerctl -p kolva status)" = Playing ] || fail "playerctl status is not Playing"

playerctl -p kolva pause
paused() { [ "$(playerctl -p kolva status)" = Paused ]; }
e2e_wait 5 paused || fail "pause did not take"
sleep 0.5
before=$(bytes)
sleep 1.5
[ $(($(bytes) - before)) -lt 800 ] || fail "sound went on after pause ($before -> $(bytes) bytes)"

expect 0 "主播：暂停  任务：早操" --status
expect 0 "已继续播放" --resume
e2e_wait 5 grows || fail "no sound after --resume"
expect 0 "已停止播放" --stop
expect 0 "定时：开启" --status
kill -0 "$pid" || fail "the program ended"
echo "remote: ok"
