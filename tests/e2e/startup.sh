#!/usr/bin/env bash
# The real program starts headless from a copy of the application folder, with
# and without a task file, and a second copy of the same folder refuses to run.
#   startup.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
app_src=$1
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD="touch $work/poweroff"

fail() { echo "FAIL: $*" >&2; exit 1; }

cp -r "$app_src" "$work/app"
rm -f "$work/app/user/task.xtask.dll"

# 1. No task file: the program starts and keeps running.
"$work/app/kolva" >"$work/first.log" 2>&1 &
first=$!; pids+=($first)
sleep 2
kill -0 $first 2>/dev/null || { cat "$work/first.log"; fail "program did not keep running without a task file"; }

# 2. A second copy of the same folder says so and does not start.
timeout 10 "$work/app/kolva" >"$work/second.log" 2>&1 &
second=$!; pids+=($second)
for _ in $(seq 1 50); do
  grep -q "已运行" "$work/second.log" 2>/dev/null && break
  sleep 0.1
done
grep -q "KOLVA定时播放器(版本 3.2.93)已运行！" "$work/second.log" || { cat "$work/second.log"; fail "second copy did not refuse"; }
kill $second 2>/dev/null || true
kill -0 $first 2>/dev/null || fail "the first copy was disturbed by the second"
kill $first; wait $first 2>/dev/null || true

# 3. With a task file (a hand-made one, far from due), it starts too, and the
#    file is left as it was (start-up never writes it).
printf '<?xml version="1.0"?>\r\n<Tasklist>\r\n\t<Task Enabled="True" Title="测试" Volume="50" StartTime="03:00:00" Duration="" StopTime="" PowerOff="False">\r\n\t</Task>\r\n</Tasklist>' \
  | iconv -f utf-8 -t utf-16le | { printf '\xff\xfe'; cat; } > "$work/app/user/task.xtask.dll"
before=$(sha1sum "$work/app/user/task.xtask.dll")
"$work/app/kolva" >"$work/third.log" 2>&1 &
third=$!; pids+=($third)
sleep 2
kill -0 $third 2>/dev/null || { cat "$work/third.log"; fail "program did not keep running with a task file"; }
kill $third; wait $third 2>/dev/null || true
[ "$(sha1sum "$work/app/user/task.xtask.dll")" = "$before" ] || fail "start-up changed the task file"
[ ! -e "$work/poweroff" ] || fail "power-off ran without a due task"
[ -z "$(ls -A "$XDG_CONFIG_HOME")" ] || [ ! -e "$XDG_CONFIG_HOME/autostart" ] || fail "start-up wrote an autostart entry"
echo "startup: ok"
