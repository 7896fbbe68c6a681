#!/usr/bin/env bash
# The real program, headless, from a copy of the application folder: a task
# due a few seconds after start plays its song into a capturing sink, writes
# the region's playlist file, and at its natural end asks for the power-off.
#   run_task.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
app_src=$1
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/kolva.log" ] && sed 's/^/  log: /' "$work/kolva.log" >&2
  exit 1
}

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
export KOLVA_AUDIO_SINK="wavenc ! filesink location=$work/capture.wav"
export KOLVA_POWER_OFF_CMD="touch '$work/poweroff'"

cp -r "$app_src" "$work/app"
rm -f "$work/app/user/task.xtask.dll" "$work/app/template.asx.dll"

# A 1.5 s tone (440 Hz) to play.
song=$work/media/tone.wav
mkdir -p "$work/media"
gst-launch-1.0 -q audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=15 \
  ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! wavenc ! filesink location="$song" >/dev/null

# The task file (UTF-16LE with BOM, CR LF), due 8 s from now (room for a slow
# start on a busy machine), powering off at
# its natural end.
start=$(date -d '+8 seconds' +%H:%M:%S)
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<!--请以Unicode格式保存本文档-->' '<Tasklist>'
  printf '\t%s\r\n' "<Task Enabled=\"True\" Title=\"端到端\" Volume=\"100\" StartTime=\"$start\" Duration=\"\" StopTime=\"\" PowerOff=\"True\">"
  printf '\t\t%s\r\n' '<Region Title="区间" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$song\"/>"
  printf '\t\t%s\r\n' '</Region>' && printf '\t%s\r\n' '</Task>'
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/app/user/task.xtask.dll"

"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!

# Due in 8 s, 1.5 s of sound: the power-off should come within ~10 s.
for _ in $(seq 1 300); do
  [ -e "$work/poweroff" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended early"
  sleep 0.1
done
[ -e "$work/poweroff" ] || fail "the power-off command did not run"
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
python3 - "$work/capture.wav" <<'PY' || fail "capture check"
import struct, sys, math
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'RIFF' and data[8:12] == b'WAVE', 'not a WAV file'
pos, fmt, pcm = 12, None, None
while pos + 8 <= len(data):
    cid, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if cid == b'fmt ':
        fmt = struct.unpack('<HHIIHH', data[pos + 8:pos + 24])
    if cid == b'data':
        pcm = data[pos + 8:]  # the rest, whatever the header says
        break
    pos += 8 + size + (size & 1)
tag, channels, rate, _, align, bits = fmt
frames = len(pcm) // align
if tag == 3 and bits == 32:
    samples = struct.unpack('<%df' % (len(pcm) // 4), pcm[:len(pcm) // 4 * 4])
    scale = 1.0
elif tag == 1 and bits == 16:
    samples = struct.unpack('<%dh' % (len(pcm) // 2), pcm[:len(pcm) // 2 * 2])
    scale = 32768.0
else:
    raise SystemExit('unexpected sample format %s/%s' % (tag, bits))
seconds = frames / rate
rms = math.sqrt(sum((s / scale) ** 2 for s in samples) / max(1, len(samples)))
print('capture: %.2f s, rms %.3f' % (seconds, rms))
assert 1.2 <= seconds <= 2.0, 'unexpected length %.2f s' % seconds
assert rms > 0.1, 'silent capture (rms %.4f)' % rms
PY
echo "run_task: ok"
