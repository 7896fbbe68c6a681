#!/usr/bin/env bash
# The task editor as a user drives it: under Xvfb, with the accessibility bus
# on, the real program opens the editor ("任务管理"), a task is added, named,
# timed and given a region with a song chosen in the file dialog, saved and
# the editor closed. The main list then shows the task, the task file holds it
# byte for byte, and the task plays at its time into a capturing sink.
#   editor.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
app_src=$1
for tool in Xvfb xdotool dbus-run-session python3; do
  command -v $tool >/dev/null || { echo "SKIP: $tool missing (tools/setup.sh test installs it)"; exit 0; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "SKIP: python3-pyatspi missing"; exit 0; }

work=$(mktemp -d)
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/kolva.log" ] && sed 's/^/  log: /' "$work/kolva.log" >&2; exit 1; }

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$app_src" "$work/app"
rm -f "$work/app/user/task.xtask.dll" "$work/app/template.asx.dll"

song=$work/media/tone.wav
mkdir -p "$work/media"
gst-launch-1.0 -q audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=15 \
  ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! wavenc ! filesink location="$song" >/dev/null

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 1 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
export KOLVA_AUDIO_SINK="wavenc ! filesink location=$work/capture.wav"
export KOLVA_POWER_OFF_CMD="touch '$work/poweroff'"
export WORK=$work SONG=$song

dbus-run-session -- /usr/bin/python3 - <<'PY' || fail "driving the editor"
import os, subprocess, sys, time
work, song = os.environ['WORK'], os.environ['SONG']

# The accessibility bus of this session.
subprocess.Popen(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'],
                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1.0)
import pyatspi

log = open(work + '/kolva.log', 'w')
proc = subprocess.Popen([work + '/app/kolva'], stdout=log, stderr=log)

def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        children = list(node)
    except Exception:
        return
    for c in children:
        yield from walk(c, depth + 1)

def app():
    for a in pyatspi.Registry.getDesktop(0):
        try:
            if a is not None and a.get_process_id() == proc.pid:
                return a
        except Exception:
            pass
    return None

def find(name, role=None, within=None, timeout=15, showing=True):
    end = time.time() + timeout
    while time.time() < end:
        root = within or app()
        for n in walk(root):
            try:
                if n.name == name and (role is None or n.getRoleName() == role):
                    if not showing or n.getState().contains(pyatspi.STATE_SHOWING):
                        return n
            except Exception:
                pass
        time.sleep(0.2)
    raise SystemExit('not found: %s (%s)' % (name, role))

def click(node):
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.check_call(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2), 'click', '1'])
    time.sleep(0.4)

def key(*keys):
    subprocess.check_call(['xdotool', 'key', '--delay', '60'] + list(keys))
    time.sleep(0.3)

def type_text(text):
    subprocess.check_call(['xdotool', 'type', '--delay', '30', text])
    time.sleep(0.3)

def shot(name):
    subprocess.call(['gst-launch-1.0', '-q', 'ximagesrc', 'num-buffers=1', '!', 'videoconvert', '!',
                     'pngenc', '!', 'filesink', 'location=' + work + '/' + name])

main = find('KOLVA定时播放器', 'frame', timeout=30)
time.sleep(1.0)
click(find('任务管理', 'push button', main))
editor = find('任务列表', 'dialog')
click(find('添加任务', 'push button', editor))
title = find('标题', 'text', editor)
click(title)
key('ctrl+a')
type_text('Morning bell')
start = time.strftime('%H:%M:%S', time.localtime(time.time() + 25))
click(find('开始时间', 'text', editor))
key('ctrl+a')
type_text(start)
click(find('添加区间', 'push button', editor))
click(find('添加曲目', 'push button', editor))
files = find('打开文件', 'dialog', timeout=15)
time.sleep(0.8)
type_text(song)
key('Return')
time.sleep(1.0)
shot('editor.png')
click(find('保存任务', 'push button', editor))
if find('保存任务', 'push button', editor).getState().contains(pyatspi.STATE_ENABLED):
    raise SystemExit('the save did not go through')
key('Escape')
time.sleep(1.0)
# The main window lists the task.
cells = [n.name for n in walk(main) if n.getRoleName() in ('table cell', 'list item')]
print('main list:', cells)
if ' Morning bell' not in cells or ' ' + start[:5] not in cells:
    raise SystemExit('the main list does not show the task')
shot('main.png')
open(work + '/start', 'w').write(start)
# The task is due within ~25 s; its 1.5 s of sound and the end follow.
end = time.time() + 40
while time.time() < end and not os.path.exists(work + '/capture.done'):
    if os.path.exists(work + '/capture.wav') and os.path.getsize(work + '/capture.wav') > 200000:
        time.sleep(1.5)
        break
    time.sleep(0.2)
proc.terminate()
proc.wait(timeout=10)
PY

start=$(cat "$work/start")
# The task file, byte for byte (UTF-16LE with BOM, CR LF, tabs).
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<!--请以Unicode格式保存本文档-->' '<Tasklist>'
  printf '\t%s\r\n' "<Task Enabled=\"True\" Title=\"Morning bell\" Volume=\"100\" StartTime=\"$start\" Duration=\"\" StopTime=\"\" PowerOff=\"False\">"
  printf '\t\t%s\r\n' '<Region Title="区间1" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$song\"/>"
  printf '\t\t%s\r\n' '</Region>' && printf '\t%s\r\n' '</Task>'
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/expected.xtask"
cmp "$work/expected.xtask" "$work/app/user/task.xtask.dll" || {
  iconv -f UTF-16LE -t UTF-8 <"$work/app/user/task.xtask.dll" | cat -A >&2
  fail "task file differs"
}

python3 - "$work/capture.wav" <<'PY' || fail "capture check"
import struct, sys, math
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'RIFF', 'no sound captured'
pos, fmt, pcm = 12, None, None
while pos + 8 <= len(data):
    cid, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if cid == b'fmt ':
        fmt = struct.unpack('<HHIIHH', data[pos + 8:pos + 24])
    if cid == b'data':
        pcm = data[pos + 8:]
        break
    pos += 8 + size + (size & 1)
tag, channels, rate, _, align, bits = fmt
if tag == 3 and bits == 32:
    samples, scale = struct.unpack('<%df' % (len(pcm) // 4), pcm[:len(pcm) // 4 * 4]), 1.0
else:
    samples, scale = struct.unpack('<%dh' % (len(pcm) // 2), pcm[:len(pcm) // 2 * 2]), 32768.0
seconds = len(pcm) // align / rate
rms = math.sqrt(sum((s / scale) ** 2 for s in samples) / max(1, len(samples)))
print('capture: %.2f s, rms %.3f' % (seconds, rms))
assert seconds >= 1.2, 'short capture %.2f s' % seconds
assert rms > 0.1, 'silent capture'
PY
[ -n "${KOLVA_E2E_SHOTS:-}" ] && cp "$work"/*.png "$KOLVA_E2E_SHOTS"/ 2>/dev/null
echo "editor: ok"
