#!/usr/bin/env bash
# The task editor as a user drives it: under Xvfb, with the accessibility bus
# on, the real program opens the editor ("任务管理"), a task is added, named,
# timed, given play days (工作日, then one day box toggled) and the holiday
# rule, and a region with a song chosen in the file dialog; it is saved. The
# "节假日…" dialog gets one entry (date typed, 班 chosen) and is saved, and the
# editor closed. The main list then shows the task, the task file and the
# calendar hold them byte for byte, and the task plays at its time into a
# capturing sink.
#   editor.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_need Xvfb xdotool dbus-run-session python3 gst-launch-1.0 pyatspi
e2e_app "$1"
song=$work/media/tone.wav
e2e_tone "$song"
calendar=$work/app/user/holidays.txt
cp "$calendar" "$work/calendar.before" 2>/dev/null || : >"$work/calendar.before"

e2e_xvfb
e2e_capture
export SONG=$song

e2e_drive <<'PY' || fail "driving the editor"
import os, time
import pyatspi
from drive import Program, key, type_text, work

p = Program()
main = p.find('KOLVA定时播放器', 'frame')
time.sleep(1.0)
p.click(p.find('任务管理', 'push button', main))
editor = p.find('任务列表', 'dialog')
p.click(p.find('添加任务', 'push button', editor))
p.click(p.find('标题', 'text', editor))
key('ctrl+a')
type_text('Morning bell')
start = time.strftime('%H:%M:%S', time.localtime(time.time() + 25))
p.click(p.find('开始时间', 'text', editor))
key('ctrl+a')
type_text(start)

# Play days: 工作日, then today's box ticked on a weekend day, or another
# weekday's box unticked, so the task still plays today and the days are
# neither of the quick choices. The box of the day is toggled by keyboard.
p.click(p.find('工作日', 'push button', editor))
today = time.localtime().tm_wday  # 0 = Monday
toggled = today if today >= 5 else (today + 1) % 5
days = ['1' if d < 5 else '0' for d in range(7)]
days[toggled] = '1' if days[toggled] == '0' else '0'
box = p.find('周' + '一二三四五六日'[toggled], 'check box', editor)
p.click(box)  # focus and toggle
p.wait_state(box, pyatspi.STATE_CHECKED, days[toggled] == '1')
key('space')
p.wait_state(box, pyatspi.STATE_CHECKED, days[toggled] != '1')
key('space')
p.wait_state(box, pyatspi.STATE_CHECKED, days[toggled] == '1')
holidays = p.find('节假日不播放(按调休安排)', 'check box', editor)
p.click(holidays)
p.wait_state(holidays, pyatspi.STATE_CHECKED)

p.click(p.find('添加区间', 'push button', editor))
p.click(p.find('添加曲目', 'push button', editor))
p.find('打开文件', 'dialog')
time.sleep(0.8)
type_text(os.environ['SONG'])
key('Return')
time.sleep(1.0)
p.shot('editor.png')
save = p.find('保存任务', 'push button', editor)
p.click(save)
p.wait_state(save, pyatspi.STATE_ENABLED, False)

# The holiday calendar: one entry, the date typed into its box, 班 picked.
p.click(p.find('节假日…', 'push button', editor))
dialog = p.find('节假日', 'dialog')
# A double click selects the year; each full part moves on to the next.
p.click(p.find('日期', 'spin button', dialog), left=True, count=2)
type_text('20311011')
p.click(p.labelled('休/班', 'combo box', dialog))
key('Down', 'Return')
p.click(p.find('添加节假日', 'push button', dialog))
p.find(lambda n: n.startswith('2031-10-11'), within=dialog, timeout=5)
p.shot('holidays.png', dialog)
p.click(p.find('保存节假日', 'push button', dialog))
p.click(p.find('关闭', 'push button', dialog))
p.gone('节假日', 'dialog')
key('Escape')
time.sleep(1.0)

# The main window lists the task.
cells = [n.name for n in p.nodes(main) if n.getRoleName() in ('table cell', 'list item')]
print('main list:', cells)
if ' Morning bell' not in cells or ' ' + start[:5] not in cells:
    p.fail('the main list does not show the task')
p.shot('main.png')
open(work + '/start', 'w').write(start)
open(work + '/days', 'w').write(''.join(days))
# The task is due within ~25 s; its 1.5 s of sound and the end follow.
end = time.time() + 40
while time.time() < end:
    if os.path.exists(work + '/capture.wav') and os.path.getsize(work + '/capture.wav') > 200000:
        time.sleep(1.5)
        break
    time.sleep(0.2)
p.stop()
PY

start=$(cat "$work/start")
# The task file, byte for byte (UTF-16LE with BOM, CR LF, tabs).
region=区间1 attrs="Days=\"$(cat "$work/days")\" Holidays=\"True\"" e2e_task "Morning bell" "$start" False "$song" |
  e2e_task_list "$work/expected.xtask"
cmp "$work/expected.xtask" "$work/app/user/task.xtask.dll" || {
  iconv -f UTF-16LE -t UTF-8 <"$work/app/user/task.xtask.dll" | cat -A >&2
  fail "task file differs"
}
# The calendar: what it held, and the new line at its end.
{ cat "$work/calendar.before"; printf '2031-10-11 班\n'; } >"$work/calendar.expected"
cmp "$work/calendar.expected" "$calendar" || { cat -A "$calendar" >&2; fail "calendar differs"; }
e2e_check_wav "$work/capture.wav" 1.2
echo "editor: ok"
