#!/usr/bin/env bash
# The real program on a private PulseAudio of its own with null sinks as
# speakers: the user picks "USB音箱" by name in 声音输出 (stored in
# user/settings.ini); the task then plays there, goes on on the system
# default within a second when the speakers are unplugged (said on the
# window's line, written in the history), comes back to them when they are
# plugged in again, and after the sound server restarted without them
# goes on on the default until they come.
#   output_devices.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_need pulseaudio pactl xdotool pyatspi
e2e_app "$1"
export KOLVA_POWER_OFF_CMD=true
unset KOLVA_AUDIO_SINK

# The sound server: its own runtime folder, never autospawned, no cookie.
# The driver restarts it once (its new process id in pulse.pid, ended here).
mkdir -p "$work/pulse"
export PULSE_SERVER=unix:$work/pulse/native PULSE_RUNTIME_PATH=$work/pulse
export PULSE_CMD="pulseaudio -n --exit-idle-time=-1 --daemonize=no --use-pid-file=no --disallow-exit
  --log-target=file:$work/pulse.log --load=module-native-protocol-unix%auth-anonymous=1%socket=$work/pulse/native
  --load=module-null-sink%sink_name=kolva_first%sink_properties=device.description=First"
pulse_start() {
  # shellcheck disable=SC2086 # the words of PULSE_CMD, % for the blanks inside arguments
  set -- $PULSE_CMD
  "${@//%/ }" &
  echo $! >"$work/pulse.pid"
}
trap 'kill "$(cat "$work/pulse.pid" 2>/dev/null)" 2>/dev/null || true; e2e_cleanup' EXIT
pulse_start
e2e_wait 10 pactl info >/dev/null 2>&1 || fail "pulseaudio did not start: $(cat "$work/pulse.log")"
pactl load-module module-null-sink sink_name=kolva_usb sink_properties=device.description=USB音箱 >/dev/null

song=$work/media/tone.wav
e2e_tone "$song" 440 300
start=$(date -d '+14 seconds' +%H:%M:%S)
e2e_task 上课铃 "$start" False "$song" | e2e_task_list "$work/app/user/task.xtask.dll"

e2e_xvfb
e2e_drive <<'PY' || fail "driver"
import os, subprocess, time
from drive import Program
work = os.environ['WORK']

def pactl(*args):
    return subprocess.run(['pactl'] + list(args), capture_output=True, text=True).stdout

def stream_sink():
    inputs = [l.split('\t') for l in pactl('list', 'short', 'sink-inputs').splitlines()]
    sinks = {l.split('\t')[0]: l.split('\t')[1] for l in pactl('list', 'short', 'sinks').splitlines()}
    return sinks.get(inputs[0][1], '') if inputs else ''

def wait_for(test, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        if test():
            return time.time()
        time.sleep(0.05)
    p.fail(what)

def history():
    path = work + '/app/user/history.log'
    return open(path, encoding='utf-8').read() if os.path.exists(path) else ''

p = Program()
p.click(p.find('声音输出', role='push button'))
dialog = p.find('声音输出', role='dialog')
for row in ('系统默认', 'First', 'USB音箱'):
    p.find(row, role='list item', within=dialog)
p.find('设备不在时改用系统默认输出', role='check box', within=dialog)
p.find('试听', role='push button', within=dialog)
p.shot('output-dialog.png', dialog)
p.click(p.find('USB音箱', role='list item', within=dialog))
p.click(p.find('确定', role='push button', within=dialog))
p.gone('设备不在时改用系统默认输出', role='check box')
settings = open(work + '/app/user/settings.ini', encoding='utf-8').read()
if 'Device=kolva_usb\n' not in settings or 'FallBackToDefault=true' not in settings:
    p.fail('settings.ini: ' + settings)

wait_for(lambda: stream_sink() == 'kolva_usb', 30, 'the task did not play on the USB speakers')
# (the stream may stand there opened ahead before the task's second)
wait_for(lambda: '设备「USB音箱」' in history(), 5, '开始 does not name the device')
time.sleep(1)
module = [l.split('\t')[0] for l in pactl('list', 'short', 'modules').splitlines() if 'sink_name=kolva_usb' in l][0]
unplugged = time.time()
pactl('unload-module', module)
moved = wait_for(lambda: stream_sink() == 'kolva_first', 3, 'not on the system default after the unplug')
print('on the default %.0f ms after the unplug' % ((moved - unplugged) * 1000))
message = '声音输出设备「USB音箱」不在，已改用系统默认输出'
p.find(message, role='label')
p.shot('output-fallback.png')
if '改用默认输出' not in history():
    p.fail('no fallback in the history: ' + history())
plugged = time.time()
pactl('load-module', 'module-null-sink', 'sink_name=kolva_usb', 'sink_properties=device.description=USB音箱')
back = wait_for(lambda: stream_sink() == 'kolva_usb', 5, 'not back on the USB speakers')
print('back on the speakers %.0f ms after the plug' % ((back - plugged) * 1000))
p.gone(message, role='label')
if '回到输出设备' not in history():
    p.fail('no return in the history: ' + history())

# The sound server restarts (a crash, a new log-in) without the speakers:
# the task goes on on the system default, and finds them again by name when
# they come.
os.kill(int(open(work + '/pulse.pid').read()), 15)
time.sleep(1)
args = [a.replace('%', ' ') for a in os.environ['PULSE_CMD'].split()]
server = subprocess.Popen(args)
open(work + '/pulse.pid', 'w').write(str(server.pid))
wait_for(lambda: pactl('info') != '', 10, 'pulseaudio did not start again')
restarted = time.time()
fell = wait_for(lambda: stream_sink() == 'kolva_first', 10, 'not on the default after a server restart')
print('on the default %.0f ms after the server came back' % ((fell - restarted) * 1000))
pactl('load-module', 'module-null-sink', 'sink_name=kolva_usb', 'sink_properties=device.description=USB音箱')
plugged = time.time()
again = wait_for(lambda: stream_sink() == 'kolva_usb', 5, 'not on the USB speakers after the restart')
print('on the speakers %.0f ms after they came' % ((again - plugged) * 1000))
p.stop()
PY
echo "output_devices: ok"
