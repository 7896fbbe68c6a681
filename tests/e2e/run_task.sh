#!/usr/bin/env bash
# The real program, headless, from a copy of the application folder: a task
# due a few seconds after start plays its song into a capturing sink, writes
# the region's playlist file, and at its natural end asks for the power-off.
#   run_task.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_app "$1"
export QT_QPA_PLATFORM=offscreen
e2e_capture

# A 1.5 s tone (440 Hz), due 8 s from now (room for a slow start on a busy
# machine), powering off at its natural end.
song=$work/media/tone.wav
e2e_tone "$song"
start=$(date -d '+8 seconds' +%H:%M:%S)
e2e_task 端到端 "$start" True "$song" | e2e_task_list "$work/app/user/task.xtask.dll"

e2e_start
# Due in 8 s, 1.5 s of sound: the power-off should come within ~10 s.
e2e_wait 30 test -e "$work/poweroff" || fail "the power-off command did not run"
kill -0 "$pid" 2>/dev/null || fail "the program did not keep running after the task"

# The playlist of the region pass, line by line.
[ -f "$work/app/template.asx.dll" ] || fail "no playlist file"
expected=$(printf '%s\n' \
  '<Asx Version = "3.0" >' \
  '<Author>KOLVA</Author>' \
  '<Title>KOLVA0-0</Title>' \
  '<Param Name="ParentTaskID" Value="0" />' \
  '<Param Name="RegionID" Value="0" />' \
  '<Entry>' \
  '<Param Name="ParentTaskID" Value="0" />' \
  '<Param Name="ParentRegionID" Value="0" />' \
  '<Param Name="SongID" Value="0" />' \
  "<Ref href=\"$song\"/>" \
  '</Entry>' \
  '</Asx>')
actual=$(tr -d '\r' <"$work/app/template.asx.dll")
[ "$actual" = "$expected" ] || fail "playlist differs:
$actual"
grep -q $'\r$' "$work/app/template.asx.dll" || fail "playlist lines do not end in CR LF"

# The capture: about 1.5 s of sound that is not silence.
e2e_check_wav "$work/capture.wav" 1.2 2.0
echo "run_task: ok"
