#!/usr/bin/env bash
# The real program under Xvfb, driven as a user would: the task list's row and
# the detail view's rows are found on the accessibility bus and clicked with
# xdotool. A click on the list row shows the task; a click on its second song
# row plays that song; a click on the title plays the whole task. Both players
# append their sound to one raw capture, whose pitches tell what played.
# Last, the About box shows Qt's Chinese button 确定, which closes it.
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

# A display of our own: a random number whose lock file our server holds
# (-displayfd takes no lock here, so two runs at once could share a display).
# -noreset: without it the server resets when its last client leaves (our
# probe below), and a program connecting during that reset is refused.
display=
for attempt in $(seq 1 10); do
  n=$((200 + RANDOM % 800))
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -noreset -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 1 50); do
    kill -0 "$xvfb" 2>/dev/null || break
    if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$xvfb" ] &&
      DISPLAY=:$n xdotool getdisplaygeometry >/dev/null 2>&1; then
      display=:$n
      break
    fi
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb" 2>/dev/null || true
  xvfb=
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
    sys.stderr.write('X server: ' + open(work + '/xvfb.log').read()[-2000:])
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

def nodes(role=None):
    desktop = pyatspi.Registry.getDesktop(0)
    for a in desktop:
        if a is None or 'kolva' not in (a.name or '').lower() and 'KOLVA' not in (a.name or ''):
            continue
        for node in walk(a):
            try:
                if role is None or node.getRole() == role:
                    yield node
            except Exception:
                pass

def showing(node):
    try:
        ext = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return ext if ext.width > 0 and ext.height > 0 else None
    except Exception:
        return None

# Polls the bus until a node whose name matches is on screen: (name, extents).
def find(match, timeout=30, role=None, must=True):
    end = time.time() + timeout
    while time.time() < end:
        if app.poll() is not None:
            fail('the program ended')
        for node in nodes(role):
            name = node.name or ''
            if match(name):
                ext = showing(node)
                if ext:
                    return name, ext
        time.sleep(0.3)
    if must:
        fail('nothing on the accessibility bus matched')
    return None

def gone(match, timeout=15, role=None):
    end = time.time() + timeout
    while time.time() < end:
        if not any(match(n.name or '') and showing(n) for n in nodes(role)):
            return
        time.sleep(0.3)
    fail('still on screen after the click')

def click(found):
    ext = found[1]
    x, y = ext.x + min(8, ext.width // 2), ext.y + ext.height // 2
    subprocess.run(['xdotool', 'mousemove', str(x), str(y), 'click', '1'], check=True)

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
        fail('only %.2f s of sound captured, expected %.2f s' % (captured() / 8000, seconds))
    size, still = captured(), time.time()
    while time.time() < end and time.time() - still < 0.4:
        time.sleep(0.1)
        if captured() != size:
            size, still = captured(), time.time()

# The list row, clicked again should the first click come before the window
# took input; the task is shown when its song rows are on the bus.
list_row = find(lambda n: n.strip() == '点击测试')
is_song = lambda n: n.startswith('2.') and n.endswith('high 880.wav')
for attempt in range(4):
    click(list_row)
    song_row = find(is_song, timeout=8, must=attempt == 3)
    if song_row:
        break
if os.environ.get('KOLVA_SCREENSHOT'):  # a picture of the window with the task shown
    time.sleep(0.5)
    win = find(lambda n: n == 'KOLVA定时播放器')[1]
    subprocess.run(['gst-launch-1.0', '-q', 'ximagesrc', 'num-buffers=1', 'use-damage=false',
                    'startx=%d' % max(0, win.x), 'starty=%d' % max(0, win.y),
                    'endx=%d' % (max(0, win.x) + win.width - 1),
                    'endy=%d' % (max(0, win.y) + win.height - 1), '!',
                    'videoconvert', '!', 'pngenc', '!', 'filesink',
                    'location=' + os.environ['KOLVA_SCREENSHOT']], check=False)
click(song_row)
wait_sound(0.9, 20)
first = captured()
click(find(lambda n: n == '[×已禁用]点击测试'))                  # the title
wait_sound(first / 8000 + 1.8, 25)

# Qt's own buttons speak Chinese: the About box's button is 确定.
click(find(lambda n: n == '关于', role=pyatspi.ROLE_PUSH_BUTTON))
is_ok = lambda n: n.replace('&', '').strip().lower() in ('确定', 'ok')
name, ok = find(is_ok, role=pyatspi.ROLE_PUSH_BUTTON)
if name != '确定':
    fail('the message box button reads %r, not 确定' % name)
click((name, ok))
gone(is_ok, role=pyatspi.ROLE_PUSH_BUTTON)
print('message box: 确定')
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
# Runs of one pitch; a mixed window at a seam (0) does not split a run.
heard = [p for p in pitches if p]
runs = [p for j, p in enumerate(heard) if j == 0 or heard[j - 1] != p]
print('capture: %.2f s, runs %s' % (len(samples) / 8000, runs))
if runs[:3] != [880, 440, 880]:
    fail('expected the song (880 Hz), then the task (440 Hz, 880 Hz); heard %s' % runs)
print('task_view: ok')
PY
