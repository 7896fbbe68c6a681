#!/usr/bin/env bash
# Play days in the real program: two bells that follow the holiday calendar.
# Today is a 休 day in user/holidays.txt, so the first bell stays silent; the
# calendar is then rewritten without that day while the program runs, and
# the second bell rings (and asks for the power-off at its end).
#   play_days.sh APP_DIR TEST_BIN_DIR
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

song=$work/media/tone.wav
mkdir -p "$work/media"
gst-launch-1.0 -q audiotestsrc wave=sine freq=440 volume=0.5 samplesperbuffer=4410 num-buffers=15 \
  ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! wavenc ! filesink location="$song" >/dev/null

now=$(date +%s)
first=$(date -d "@$((now + 8))" +%H:%M:%S)
second=$(date -d "@$((now + 14))" +%H:%M:%S)
today=$(date -d "@$now" +%F)
# Every weekday, so the test means the same on any day of the week.
task() { # title start
  printf '\t%s\r\n' "<Task Enabled=\"True\" Title=\"$1\" Volume=\"100\" StartTime=\"$2\" Duration=\"\" StopTime=\"\" PowerOff=\"True\" Holidays=\"True\">"
  printf '\t\t%s\r\n' '<Region Title="区间" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$song\"/>"
  printf '\t\t%s\r\n' '</Region>' && printf '\t%s\r\n' '</Task>'
}
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<!--请以Unicode格式保存本文档-->' '<Tasklist>'
  task "假日铃" "$first"
  task "上课铃" "$second"
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/app/user/task.xtask.dll"
printf '# 测试\n%s 休\n' "$today" >"$work/app/user/holidays.txt"

"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!

# Past the first bell's second (and one more): nothing may have played.
while [ "$(date +%s)" -le $((now + 9)) ]; do
  kill -0 "$pid" 2>/dev/null || fail "the program ended early"
  sleep 0.2
done
[ -e "$work/poweroff" ] && fail "the bell rang on a 休 day"
[ -s "$work/capture.wav" ] && fail "sound on a 休 day"

# The day is no holiday any more: the next bell rings without a restart.
printf '# 测试\n' >"$work/app/user/holidays.txt.new"
mv "$work/app/user/holidays.txt.new" "$work/app/user/holidays.txt"
for _ in $(seq 1 150); do
  [ -e "$work/poweroff" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended early"
  sleep 0.1
done
[ -e "$work/poweroff" ] || fail "the bell did not ring once the day was no holiday"

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
        pcm = data[pos + 8:]
        break
    pos += 8 + size + (size & 1)
tag, channels, rate, _, align, bits = fmt
frames = len(pcm) // align
if tag == 3 and bits == 32:
    samples = struct.unpack('<%df' % (len(pcm) // 4), pcm[:len(pcm) // 4 * 4])
    scale = 1.0
else:
    samples = struct.unpack('<%dh' % (len(pcm) // 2), pcm[:len(pcm) // 2 * 2])
    scale = 32768.0
seconds = frames / rate
rms = math.sqrt(sum((s / scale) ** 2 for s in samples) / max(1, len(samples)))
print('capture: %.2f s, rms %.3f' % (seconds, rms))
# One bell of 1.5 s: the holiday bell never played.
assert 1.2 <= seconds <= 2.0, 'unexpected length %.2f s' % seconds
assert rms > 0.1, 'silent capture (rms %.4f)' % rms
PY
echo "play_days: ok"
