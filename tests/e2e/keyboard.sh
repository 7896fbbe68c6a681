#!/usr/bin/env bash
# The program without a mouse: under Xvfb the controls are found on the
# accessibility bus (AT-SPI) and reached with Tab; keys are typed with
# xdotool; the pointer never moves. From the main window the editor is
# opened, a task added (through the button's accessible action, which must
# answer at once), titled and timed, set to Monday to Friday, given a region
# and a song chosen in the file dialog, saved and the editor closed. The main
# list then shows the task by keyboard and a song row of its detail view
# plays the song into a capturing sink; the error line (a notification on
# the bus) tells it. The task file holds the task byte for byte.
#   keyboard.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_need Xvfb xdotool dbus-run-session python3 gst-launch-1.0 pyatspi
e2e_app "$1"
song=$work/media/tone.wav
e2e_tone "$song"
e2e_xvfb
e2e_capture
export SONG=$song

e2e_drive <<'PY' || fail "driving the program by keyboard"
import os, subprocess, time
import pyatspi
from drive import Program, key, type_text, work

def pointer():  # where the mouse pointer is ("x:.. y:..")
    where = subprocess.run(['xdotool', 'getmouselocation'], capture_output=True, text=True)
    return where.stdout.split()[:2]

p = Program()
start_pointer = pointer()
main = p.find('KOLVA定时播放器', 'frame')
p.focus_window('KOLVA定时播放器')

# The editor, opened from the main window.
p.tab_to('任务管理', 'push button', main)
key('space')
editor = p.find('任务列表', 'dialog')
add = p.tab_to('添加任务', 'push button', editor)
# A screen reader's "activate": the call returns before the work is done.
begun = time.time()
add.queryAction().doAction(0)
answered = time.time() - begun
print('添加任务 answered in %.3f s' % answered)
if answered > 1.0:
    p.fail('the accessible action took %.1f s to answer' % answered)
p.find(' 新任务', within=editor, timeout=5)

p.tab_to('标题', 'text', editor)
key('ctrl+a')
type_text('Keyboard bell')
# Hours from now: the task itself must not play during the test.
start = time.strftime('%H:%M:%S', time.localtime(time.time() + 3 * 3600))
p.tab_to('开始时间', 'text', editor)
key('ctrl+a')
type_text(start)
p.tab_to('工作日', 'push button', editor)
key('space')
for i, day in enumerate('一二三四五六日'):
    p.wait_state(p.find('周' + day, 'check box', editor), pyatspi.STATE_CHECKED, i < 5)

# A region (the focus goes to its title), and a song through the file dialog.
p.tab_to('添加区间', 'push button', editor)
key('space')
p.find('区间 1', within=editor, timeout=5)
p.tab_to('添加曲目', 'push button', editor)
key('space')
p.find('打开文件', 'dialog')
time.sleep(0.8)
type_text(os.environ['SONG'])
key('Return')
p.gone('打开文件', 'dialog')
p.focus_window('任务列表')  # back to the editor, as a window manager does
p.find(lambda n: n.endswith('tone.wav'), within=editor, timeout=5)
p.shot('keyboard-editor.png', editor)
save = p.tab_to('保存任务', 'push button', editor)
key('space')
p.wait_state(save, pyatspi.STATE_ENABLED, False)
key('Escape')
p.gone('任务列表', 'dialog')

# The main list by keyboard shows the task; its song row plays the song.
p.focus_window('KOLVA定时播放器')  # back to the main window
p.tab_to('任务列表', 'tree', main)
p.find(lambda n: n.startswith('1.') and n.endswith('tone.wav'), 'link', main, timeout=5)
p.tab_to(lambda n: n.startswith('1.') and n.endswith('tone.wav'), 'link', main)
p.shot('keyboard-main.png', main)
key('Return')
end = time.time() + 20
while time.time() < end:
    if os.path.exists(work + '/capture.wav') and os.path.getsize(work + '/capture.wav') > 200000:
        time.sleep(1.5)
        break
    time.sleep(0.2)
# The error line, a live region, tells what happened last.
p.find(lambda n: '播完' in n, 'notification', main, timeout=10)
if pointer() != start_pointer:
    p.fail('the pointer moved')
open(work + '/start', 'w').write(start)
p.stop()
PY

start=$(cat "$work/start")
region=区间1 attrs='Days="1111100"' e2e_task "Keyboard bell" "$start" False "$song" |
  e2e_task_list "$work/expected.xtask"
cmp "$work/expected.xtask" "$work/app/user/task.xtask.dll" || {
  iconv -f UTF-16LE -t UTF-8 <"$work/app/user/task.xtask.dll" | cat -A >&2
  fail "task file differs"
}
e2e_check_wav "$work/capture.wav" 1.2
echo "keyboard: ok"
