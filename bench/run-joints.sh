#!/usr/bin/env bash
# Silence heard at each kind of joint, through the real program (kolva) with
# its output captured by a file sink given as KOLVA_AUDIO_SINK (S16LE mono,
# 44.1 kHz, sample-exact): bench/run-joints.sh [build-dir]
# Four tasks a few seconds apart, 1.5 s tones of a pitch of their own:
#   song -> song inside a pass (WAV, WAV), pass -> next pass (WAV, region
#   Repeat 2), region -> region WAV -> MP3 -> WAV, an MP3 song with Repeat 2.
# The MP3s are LAME-encoded and carry a LAME Info header with their encoder
# delay and padding, as a LAME-made file does.
# Printed: one line per joint, "joint<TAB>silence ms", the longest run of
# samples below 100/32768 within 100 ms of the joint (runs up to 0.5 ms, a
# zero crossing of the tone, count as 0).
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target kolva kolva_app_folder >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
. "$(dirname "$0")/lib/private-home.sh"
export KOLVA_POWER_OFF_CMD=true
cp -r "$build/app" "$work/app"
rm -f "$work/app/user/task.xtask.dll" "$work/app/template.asx.dll"
mkdir -p "$work/app/user" "$work/media"
media=$work/media

# MP3 tones: LAME at 128 kbps CBR, then an Info/LAME header put in front.
for hz in 880 990; do
  gst-launch-1.0 -q audiotestsrc wave=sine freq=$hz volume=0.5 samplesperbuffer=4410 num-buffers=15 \
    ! audio/x-raw,format=S16LE,rate=44100,channels=1 ! lamemp3enc target=bitrate bitrate=128 cbr=true \
    ! filesink location="$media/plain$hz.mp3" >/dev/null
done

out=$work/out.raw
first=$(python3 - "$media" "$work/app/user/task.xtask.dll" <<'PY'
import math, struct, sys, time, wave
media, taskfile = sys.argv[1], sys.argv[2]
RATE, N = 44100, 66150  # 1.5 s per tone

def wav(hz):
    path = f"{media}/tone{hz}.wav"
    with wave.open(path, "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(16000 * math.sin(2 * math.pi * hz * i / RATE)))
                               for i in range(N)))
    return path

def crc16(b):  # the LAME tag's own check (0x8005 reflected)
    crc = 0
    for x in b:
        crc ^= x
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc

def mp3(hz):
    audio = open(f"{media}/plain{hz}.mp3", "rb").read()
    kbps = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
    def size(at):
        p = audio[at:at + 4]
        if len(p) < 4 or p[0] != 0xFF or (p[1] & 0xFE) != 0xFA or p[2] >> 4 in (0, 15):
            return 0
        return 144 * kbps[p[2] >> 4] * 1000 // RATE + ((p[2] >> 1) & 1)
    at = frames = 0
    while size(at):
        at += size(at); frames += 1
    padding = frames * 1152 - 576 - N
    assert at == len(audio) and 0 <= padding < 4096, "unexpected MP3 stream"
    info = bytearray(size(0) - ((audio[2] >> 1) & 1))
    info[0:4] = audio[0:4]; info[2] &= ~0x02
    tag = 4 + (17 if audio[3] >> 6 == 3 else 32)
    total = len(info) + len(audio)
    info[tag:tag + 16] = b"Info" + struct.pack(">III", 0x0F, frames, total)
    info[tag + 16:tag + 116] = bytes(i * 256 // 100 for i in range(100))
    info[tag + 116:tag + 120] = struct.pack(">I", 50)
    lame = tag + 120
    info[lame:lame + 9] = b"LAME3.100"
    info[lame + 21:lame + 24] = (576 << 12 | padding).to_bytes(3, "big")
    info[lame + 28:lame + 32] = struct.pack(">I", total)
    info[lame + 34:lame + 36] = crc16(info[:lame + 34]).to_bytes(2, "big")
    path = f"{media}/tone{hz}.mp3"
    open(path, "wb").write(bytes(info) + audio)
    return path

def song(path, repeat=0):
    return f'\t\t\t<Song Repeat="{repeat}" StartTime="" Duration="" SongFile="{path}"/>\r\n'

def region(songs, repeat=0):
    return (f'\t\t<Region Title="区间" Volume="-1" Sort="0" Repeat="{repeat}" Duration="">\r\n'
            + "".join(songs) + "\t\t</Region>\r\n")

first = int(time.time()) + 6  # room for the program's start
def task(i, offset, regions):
    start = time.strftime("%H:%M:%S", time.localtime(first + offset))
    return (f'\t<Task Enabled="True" Title="接缝{i}" Volume="100" StartTime="{start}" Duration="" '
            f'StopTime="" PowerOff="False">\r\n' + "".join(regions) + "\t</Task>\r\n")

tasks = [
    task(1, 0, [region([song(wav(440)), song(wav(660))])]),
    task(2, 4, [region([song(wav(550))], repeat=2)]),
    task(3, 8, [region([song(wav(770))]), region([song(mp3(880))]), region([song(wav(1100))])]),
    task(4, 14, [region([song(mp3(990), repeat=2)])]),
]
text = ('<?xml version="1.0"?>\r\n<!--请以Unicode格式保存本文档-->\r\n<Tasklist>\r\n'
        + "".join(tasks) + "</Tasklist>")
open(taskfile, "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
print(first)
PY
)
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=44100,channels=1 ! filesink location=$out append=true sync=true buffer-mode=unbuffered"
"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=$!
# The last task starts 14 s after the first and plays 3 s.
end=$((first + 14 + 5))
while [ "$(date +%s)" -lt "$end" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended early:"; cat "$work/kolva.log"; exit 1; }
  sleep 0.5
done
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=

python3 - "$out" <<'PY'
import sys
from array import array
RATE, N, QUIET = 44100, 66150, 100
pcm = array("h"); pcm.frombytes(open(sys.argv[1], "rb").read())
if sys.byteorder == "big":
    pcm.byteswap()
quiet = [abs(s) < QUIET for s in pcm]

# Dominant pitch of each 10 ms window, by zero crossings; 0 = no sound.
W = RATE // 100
def pitch(w):
    seg = pcm[w * W:(w + 1) * W]
    if max(map(abs, seg), default=0) < 2000:
        return 0
    cross = [i for i in range(1, len(seg)) if (seg[i - 1] < 0) != (seg[i] < 0)]
    if len(cross) < 3:
        return 0
    return (len(cross) - 1) * RATE / (2 * (cross[-1] - cross[0]))
runs = []  # [tone, first window, last window]
for w in range(len(pcm) // W):
    p = pitch(w)
    tone = min((440, 550, 660, 770, 880, 990, 1100), key=lambda t: abs(t - p)) if p else 0
    if tone and abs(tone - p) > 30:
        continue  # a window across a change of tone
    if tone and runs and runs[-1][0] == tone and w - runs[-1][2] < 100:
        runs[-1][2] = w
    elif tone:
        runs.append([tone, w, w])

def first_sound(run):
    i = run[1] * W
    while i > 0 and not quiet[i - 1]:
        i -= 1
    while quiet[i]:
        i += 1
    return i

def silence(at):  # longest quiet run within 100 ms of sample `at`, in ms
    lo, hi = max(0, at - RATE // 10), min(len(pcm), at + RATE // 10)
    best = cur = 0
    for q in quiet[lo:hi]:
        cur = cur + 1 if q else 0
        best = max(best, cur)
    ms = best * 1000 / RATE
    return ms if ms > 0.5 else 0.0

def run_of(tone):
    found = [r for r in runs if r[0] == tone]
    return found[0] if found else None

def change(a, b):  # the joint between tone a and the tone b right after it
    ra, rb = run_of(a), run_of(b)
    if not ra or not rb or rb[1] - ra[2] > 20:
        return None
    return silence((ra[2] + rb[1]) * W // 2 + W // 2)

def repeat(tone):  # the joint of two plays of a tone: 1.5 s after its first sound
    r = run_of(tone)
    if not r or (r[2] - r[1]) * W < 2.5 * RATE:
        return None
    return silence(first_sound(r) + N)

for name, ms in (("song -> song inside a pass (WAV)", change(440, 660)),
                 ("pass -> next pass, region Repeat 2 (WAV)", repeat(550)),
                 ("region -> region, WAV -> MP3", change(770, 880)),
                 ("region -> region, MP3 -> WAV", change(880, 1100)),
                 ("MP3 song repeated (Repeat 2)", repeat(990))):
    print(f"{name}\t{'not heard' if ms is None else f'{ms:.2f}'}")
print(f"(captured {len(pcm) / RATE:.1f} s; tones heard: {', '.join(str(r[0]) for r in runs)})")
PY
