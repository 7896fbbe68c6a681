#!/usr/bin/env bash
# Play days in the real program: two bells that follow the holiday calendar.
# Today is a 休 day in user/holidays.txt, so the first bell stays silent; the
# calendar is then rewritten without that day while the program runs, and
# the second bell rings (and asks for the power-off at its end).
#   play_days.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_app "$1"
export QT_QPA_PLATFORM=offscreen
e2e_capture

song=$work/media/tone.wav
e2e_tone "$song"
now=$(date +%s)
first=$(date -d "@$((now + 8))" +%H:%M:%S)
second=$(date -d "@$((now + 14))" +%H:%M:%S)
today=$(date -d "@$now" +%F)
# Every weekday, so the test means the same on any day of the week.
{
  attrs='Holidays="True"' e2e_task 假日铃 "$first" True "$song"
  attrs='Holidays="True"' e2e_task 上课铃 "$second" True "$song"
} | e2e_task_list "$work/app/user/task.xtask.dll"
printf '# 测试\n%s 休\n' "$today" >"$work/app/user/holidays.txt"

e2e_start
# Past the first bell's second (and one more): nothing may have played.
past() { [ "$(date +%s)" -gt "$1" ]; }
e2e_wait 30 past $((now + 9)) || fail "the clock stood still"
[ -e "$work/poweroff" ] && fail "the bell rang on a 休 day"
[ -s "$work/capture.wav" ] && fail "sound on a 休 day"

# The day is no holiday any more: the next bell rings without a restart.
printf '# 测试\n' >"$work/app/user/holidays.txt.new"
mv "$work/app/user/holidays.txt.new" "$work/app/user/holidays.txt"
e2e_wait 15 test -e "$work/poweroff" || fail "the bell did not ring once the day was no holiday"

# One bell of 1.5 s: the holiday bell never played.
e2e_check_wav "$work/capture.wav" 1.2 2.0
echo "play_days: ok"
