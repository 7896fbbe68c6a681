#!/usr/bin/env bash
# The real program under Xvfb, driven as a user would: the task list's row and
# the detail view's rows are found on the accessibility bus and clicked with
# xdotool. A click on the list row shows the task; a click on its second song
# row plays that song; a click on the title plays the whole task. Both players
# append their sound to one raw capture, whose pitches tell what played.
# Last, the About box shows Qt's Chinese button 确定, which closes it.
#   task_view.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_need Xvfb xdotool dbus-run-session python3 gst-launch-1.0 pyatspi
e2e_app "$1"
e2e_tone "$work/media/low 440.wav" 440 10 1
e2e_tone "$work/media/high 880.wav" 880 10 1

# A disabled task far from now: nothing plays unless a click asks for it.
enabled=False e2e_task 点击测试 03:00:00 False "$work/media/low 440.wav" "$work/media/high 880.wav" |
  e2e_task_list "$work/app/user/task.xtask.dll"

e2e_xvfb
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! filesink location=$work/capture.raw append=true sync=true"
export KOLVA_POWER_OFF_CMD=true

e2e_drive <<'PY' || fail "driving the task view"
import os, struct, subprocess, time
import pyatspi
from drive import Program, work

p = Program()
capture = work + '/capture.raw'
def captured():
    return os.path.getsize(capture) // 2 if os.path.exists(capture) else 0

# Waits (polling) until the capture holds this many seconds, then until it
# stops growing: what played so far is all written.
def wait_sound(seconds, timeout):
    end = time.time() + timeout
    while time.time() < end and captured() < seconds * 8000:
        time.sleep(0.1)
    if captured() < seconds * 8000:
        p.fail('only %.2f s of sound captured, expected %.2f s' % (captured() / 8000, seconds))
    size, still = captured(), time.time()
    while time.time() < end and time.time() - still < 0.4:
        time.sleep(0.1)
        if captured() != size:
            size, still = captured(), time.time()

# The list row, clicked again should the first click come before the window
# took input; the task is shown when its song rows are on the bus.
list_row = p.find(lambda n: n.strip() == '点击测试')
is_song = lambda n: n.startswith('2.') and n.endswith('high 880.wav')
for attempt in range(4):
    p.click(list_row, left=True)
    song_row = p.find(is_song, timeout=8, must=attempt == 3)
    if song_row:
        break
p.shot('task_view.png', p.find('KOLVA定时播放器'))  # the window with the task shown
p.click(song_row, left=True)
wait_sound(0.9, 20)
first = captured()
p.click(p.find('[×已禁用]点击测试'), left=True)  # the title
wait_sound(first / 8000 + 1.8, 25)

# Qt's own buttons speak Chinese: the About box's button is 确定.
p.click(p.find('关于', 'push button'), left=True)
is_ok = lambda n: n.replace('&', '').strip().lower() in ('确定', 'ok')
ok = p.find(is_ok, 'push button')
if ok.name != '确定':
    p.fail('the message box button reads %r, not 确定' % ok.name)
p.click(ok, left=True)
p.gone(is_ok, 'push button')
print('message box: 确定')
p.stop()

# Pitches by zero crossings in 0.1 s windows: 880 Hz, then 440 Hz, then 880 Hz.
data = open(capture, 'rb').read()
samples = struct.unpack('<%dh' % (len(data) // 2), data[:len(data) // 2 * 2])
pitches = []
for i in range(0, len(samples) - 800, 800):
    w = samples[i:i + 800]
    if max(abs(s) for s in w) < 3000:
        continue
    crossings = sum(1 for a, b in zip(w, w[1:]) if (a < 0) != (b < 0))
    f = crossings * 10 / 2
    pitches.append(880 if abs(f - 880) < 60 else 440 if abs(f - 440) < 40 else 0)
# Runs of one pitch; a mixed window at a seam (0) does not split a run.
heard = [q for q in pitches if q]
runs = [q for j, q in enumerate(heard) if j == 0 or heard[j - 1] != q]
print('capture: %.2f s, runs %s' % (len(samples) / 8000, runs))
if runs[:3] != [880, 440, 880]:
    p.fail('expected the song (880 Hz), then the task (440 Hz, 880 Hz); heard %s' % runs)
PY
echo "task_view: ok"
