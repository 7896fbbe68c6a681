#!/usr/bin/env bash
# The real program starts headless from a copy of the application folder, with
# and without a task file, and a second copy of the same folder refuses to run.
#   startup.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_app "$1"
export QT_QPA_PLATFORM=offscreen KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD="touch $work/poweroff"

# 1. No task file: the program starts and keeps running.
log=$work/first.log
e2e_start
first=$pid
sleep 2
kill -0 "$first" 2>/dev/null || fail "program did not keep running without a task file"

# 2. A second copy of the same folder says so and does not start.
log=$work/second.log
timeout 10 "$work/app/kolva" >"$log" 2>&1 &
e2e_pids+=($!)
refused() { grep -q "KOLVA定时播放器(版本 3.2.93)已运行！" "$log"; }
e2e_wait 5 refused || fail "second copy did not refuse"
kill -0 "$first" 2>/dev/null || fail "the first copy was disturbed by the second"
kill "$first"; wait "$first" 2>/dev/null || true

# 3. With a task file (a hand-made one, far from due), it starts too, and the
#    file is left as it was (start-up never writes it).
printf '<?xml version="1.0"?>\r\n<Tasklist>\r\n\t<Task Enabled="True" Title="测试" Volume="50" StartTime="03:00:00" Duration="" StopTime="" PowerOff="False">\r\n\t</Task>\r\n</Tasklist>' \
  | iconv -f utf-8 -t utf-16le | { printf '\xff\xfe'; cat; } > "$work/app/user/task.xtask.dll"
before=$(sha1sum "$work/app/user/task.xtask.dll")
log=$work/third.log
e2e_start
sleep 2
kill -0 "$pid" 2>/dev/null || fail "program did not keep running with a task file"
kill "$pid"; wait "$pid" 2>/dev/null || true
[ "$(sha1sum "$work/app/user/task.xtask.dll")" = "$before" ] || fail "start-up changed the task file"
[ ! -e "$work/poweroff" ] || fail "power-off ran without a due task"
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || [ ! -e "$XDG_CONFIG_HOME/autostart" ] || fail "start-up wrote an autostart entry"
echo "startup: ok"
