#!/usr/bin/env bash
# The real program under Xvfb, driven as a user would: the task list's row and
# the detail view's rows are found on the accessibility bus and clicked with
# xdotool. A click on the list row shows the task; a click on its second song
# row plays that song; a click on the title plays the whole task. Both players
# append their sound to one raw capture, whose pitches tell what played.
#   task_view.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
app_src=$1
for tool in Xvfb xdotool dbus-run-session python3 gst-launch-1.0; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (tools/setup.sh test)" >&2; exit 1; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "FAIL: python3-pyatspi is missing" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/media"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$app_src" "$work/app"
rm -f "$work/app/user/task.xtask.dll" "$work/app/template.asx.dll"

tone() { # file frequency seconds
  gst-launch-1.0 -q audiotestsrc wave=sine freq="$2" volume=0.5 samplesperbuffer=4410 \
    num-buffers=$(($3 * 10)) ! audio/x-raw,format=S16LE,rate=44100,channels=1 ! wavenc \
    ! filesink location="$1" >/dev/null
}
tone "$work/media/low 440.wav" 440 1
tone "$work/media/high 880.wav" 880 1

# A disabled task far from now: nothing plays unless a click asks for it.
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<!--请以Unicode格式保存本文档-->' '<Tasklist>'
  printf '\t%s\r\n' '<Task Enabled="False" Title="点击测试" Volume="100" StartTime="03:00:00" Duration="" StopTime="" PowerOff="False">'
  printf '\t\t%s\r\n' '<Region Title="区间" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$work/media/low 440.wav\"/>"
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$work/media/high 880.wav\"/>"
  printf '\t\t%s\r\n' '</Region>' && printf '\t%s\r\n' '</Task>'
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/app/user/task.xtask.dll"

# A free display number from the server itself (others may run one too);
# started again when its display does not answer.
display=
for attempt in 1 2 3; do
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  candidate=:$(head -n1 "$work/display" 2>/dev/null)
  for _ in $(seq 1 30); do
    DISPLAY=$candidate xdotool getdisplaygeometry >/dev/null 2>&1 && { display=$candidate; break; }
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb" 2>/dev/null || true
done
[ -n "$display" ] || { echo "FAIL: no Xvfb display answered" >&2; exit 1; }
export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! filesink location=$work/capture.raw append=true sync=true"
export KOLVA_POWER_OFF_CMD=true WORK=$work

dbus-run-session -- /usr/bin/python3 - <<'PY'
import os, subprocess, sys, time, struct
import pyatspi

work = os.environ['WORK']
log = open(work + '/kolva.log', 'w')
app = subprocess.Popen([work + '/app/kolva'], stdout=log, stderr=subprocess.STDOUT)

def fail(msg):
    app.kill()
    sys.stderr.write('FAIL: %s\n' % msg)
    sys.stderr.write(open(work + '/kolva.log').read())
    sys.exit(1)

def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        n = node.childCount
    except Exception:
        return
    for i in range(min(n, 400)):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            pass

def find(match, timeout=15):
    end = time.time() + timeout
    while time.time() < end:
        if app.poll() is not None:
            fail('the program ended')
        desktop = pyatspi.Registry.getDesktop(0)
        for a in desktop:
            if a is None or 'kolva' not in (a.name or '').lower() and 'KOLVA' not in (a.name or ''):
                continue
            for node in walk(a):
                try:
                    if match(node.name or ''):
                        ext = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                        if ext.width > 0 and ext.height > 0:
                            return ext
                except Exception:
                    pass
        time.sleep(0.3)
    fail('nothing on the accessibility bus matched')

def click(ext):
    x, y = ext.x + min(8, ext.width // 2), ext.y + ext.height // 2
    subprocess.run(['xdotool', 'mousemove', str(x), str(y), 'click', '1'], check=True)

capture = work + '/capture.raw'
def captured():
    return os.path.getsize(capture) // 2 if os.path.exists(capture) else 0

def wait_sound(seconds, timeout):
    end = time.time() + timeout
    while time.time() < end and captured() < seconds * 8000:
        time.sleep(0.1)

click(find(lambda n: n.strip() == '点击测试'))                  # the list row
song_row = find(lambda n: n.startswith('2.') and n.endswith('high 880.wav'))
if os.environ.get('KOLVA_SCREENSHOT'):  # a picture of the window with the task shown
    time.sleep(0.5)
    win = find(lambda n: n == 'KOLVA定时播放器')
    subprocess.run(['gst-launch-1.0', '-q', 'ximagesrc', 'num-buffers=1', 'use-damage=false',
                    'startx=%d' % max(0, win.x), 'starty=%d' % max(0, win.y),
                    'endx=%d' % (max(0, win.x) + win.width - 1),
                    'endy=%d' % (max(0, win.y) + win.height - 1), '!',
                    'videoconvert', '!', 'pngenc', '!', 'filesink',
                    'location=' + os.environ['KOLVA_SCREENSHOT']], check=False)
click(song_row)
wait_sound(0.9, 10)
time.sleep(0.5)
first = captured()
click(find(lambda n: n == '[×已禁用]点击测试'))                  # the title
wait_sound(first / 8000 + 1.8, 12)
time.sleep(0.3)
app.terminate()
app.wait(timeout=10)

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
runs = [p for j, p in enumerate(pitches) if p and (j == 0 or pitches[j - 1] != p)]
print('capture: %.2f s, runs %s' % (len(samples) / 8000, runs))
if runs[:3] != [880, 440, 880]:
    fail('expected the song (880 Hz), then the task (440 Hz, 880 Hz); heard %s' % runs)
print('task_view: ok')
PY
