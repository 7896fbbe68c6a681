#!/usr/bin/env bash
# Missed starts in the real program: it starts 20 s after two tasks' second.
# The one with CatchUp="1" is played at once (补播, and asks for the
# power-off at its end), the one with CatchUp="0" is recorded 错过.
#   catch_up.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
e2e_app "$1"
export QT_QPA_PLATFORM=offscreen
e2e_capture
# The bell plays within a second of the start, while the other player may
# still be opening its sink: both append raw samples to one file.
capture=$work/capture.raw
export KOLVA_AUDIO_SINK="audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! filesink location=$capture append=true sync=true"

song=$work/media/tone.wav
e2e_tone "$song"
# Both seconds must lie today: just after midnight, wait for them.
since_midnight=$(($(date +%s) - $(date -d 'today 00:00' +%s)))
[ "$since_midnight" -gt 40 ] || sleep $((41 - since_midnight))
now=$(date +%s)
due=$(date -d "@$((now - 20))" +%H:%M:%S)
earlier=$(date -d "@$((now - 21))" +%H:%M:%S)
{
  attrs='CatchUp="1"' e2e_task 补播铃 "$due" True "$song"
  attrs='CatchUp="0"' e2e_task 不补铃 "$earlier" False "$song"
} | e2e_task_list "$work/app/user/task.xtask.dll"

e2e_start
e2e_wait 15 test -e "$work/poweroff" || fail "the missed bell was not played"
history=$work/app/user/history.log
grep -q $'\t补播\t补播铃\t补播 晚2[0-9]秒（程序未运行）' "$history" || fail "no 补播 line: $(cat "$history")"
grep -q $'\t开始\t补播铃\t' "$history" || fail "no 开始 line: $(cat "$history")"
grep -q $'\t错过\t不补铃\t程序未运行，'"$earlier"' 的开始晚了2[0-9]秒，不补播' "$history" ||
  fail "no 错过 line: $(cat "$history")"
[ "$(grep -c $'\t不补铃\t' "$history")" = 1 ] || fail "不补铃 more than once: $(cat "$history")"
# About 1.5 s of the tone: samples louder than a whisper, 8000 a second.
loud=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(); d=d[:len(d)//2*2]
print(sum(1 for s in struct.unpack('<%dh' % (len(d)//2), d) if abs(s) > 3000) / 8000)" "$capture")
python3 -c "import sys; sys.exit(not 0.6 < float(sys.argv[1]) < 2.0)" "$loud" ||
  fail "expected about 1.5 s of the bell, heard $loud s"
echo "heard $loud s of the bell"
echo "catch_up: ok"
