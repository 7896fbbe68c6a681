#!/usr/bin/env bash
# The day view "日程" of the real program under Xvfb, driven through the
# accessibility bus: the button beside 任务管理 opens it on today, whose
# row and history line are read; Page Down goes to tomorrow, whose row
# tells why the task does not play then and whose history is not there yet.
#   day_view.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_need Xvfb xdotool dbus-run-session python3 gst-launch-1.0 pyatspi
e2e_app "$1"
e2e_tone "$work/media/tone.wav"

# A bell that plays on today's weekday only, three hours from now (it never
# falls due during the test), and one line of today's history.
weekday=$(date +%u)
days=$(for d in 1 2 3 4 5 6 7; do [ "$d" = "$weekday" ] && printf 1 || printf 0; done)
start=$(date -d '+3 hours' +%H:%M:%S)
attrs="Days=\"$days\"" e2e_task 今日铃 "$start" False "$work/media/tone.wav" |
  e2e_task_list "$work/app/user/task.xtask.dll"
printf '%s 07:00:00.005\t开始\t早读\t主播 晚5毫秒\n' "$(date +%F)" >"$work/app/user/history.log"
names=(周一 周二 周三 周四 周五 周六 周日)
tomorrow=${names[$((weekday % 7))]}

e2e_xvfb
export KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD=true
START=$start TOMORROW=$tomorrow e2e_drive <<'PY' || fail "driving the day view"
import os
from drive import Program, key

p = Program()
button = p.find('日程', 'push button')
p.click(button, left=True)
window = p.find('日程', 'dialog')
table = p.find('当天任务', 'table', within=window)
start = os.environ['START']
p.find(start, 'table cell', within=table)  # today's row: its time
p.find('播放', 'table cell', within=table)
history = p.find('播放记录', 'table', within=window)
p.find('早读', 'table cell', within=history)
p.shot('day_view.png', window)

key('Next')  # Page Down: tomorrow
reason = '非播放日(%s)' % os.environ['TOMORROW']
p.find(reason, 'table cell', within=table)
p.find('不播放', 'table cell', within=table)
p.gone(lambda n: n == '早读', 'table cell')  # no history for a day to come
print('day view: %s then %s' % (start, reason))
p.stop()
PY
echo "day_view: ok"
