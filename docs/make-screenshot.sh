#!/usr/bin/env bash
# Takes docs/screenshot.png: the program under Xvfb from a temporary copy of
# the application folder, a task playing a generated tone.
#   docs/make-screenshot.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/app" "$work/app"
mkdir -p "$work/media"
gst-launch-1.0 -q audiotestsrc wave=sine freq=523 volume=0.3 samplesperbuffer=4410 num-buffers=600 \
  ! audio/x-raw,rate=44100,channels=2 ! wavenc ! filesink location="$work/media/晨间广播.wav" >/dev/null
start=$(date -d '+3 seconds' +%H:%M:%S)
song=$work/media/晨间广播.wav
{
  printf '%s\r\n' '<?xml version="1.0"?>' '<Tasklist>'
  printf '\t%s\r\n' '<Task Enabled="True" Title="早晨上课铃" Volume="80" StartTime="07:55:00" Duration="" StopTime="" PowerOff="False">' '</Task>'
  printf '\t%s\r\n' "<Task Enabled=\"True\" Title=\"晨间广播\" Volume=\"70\" StartTime=\"$start\" Duration=\"00:30:00\" StopTime=\"\" PowerOff=\"False\">"
  printf '\t\t%s\r\n' '<Region Title="第一节" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$song\"/>"
  printf '\t\t%s\r\n' '</Region>'
  printf '\t%s\r\n' '</Task>'
  printf '\t%s\r\n' '<Task Enabled="True" Title="午间休息" Volume="60" StartTime="12:00:00" Duration="" StopTime="" PowerOff="False">' '</Task>'
  printf '\t%s\r\n' '<Task Enabled="False" Title="下班提醒" Volume="100" StartTime="17:30:00" Duration="" StopTime="" PowerOff="False">' '</Task>'
  printf '\t%s\r\n' '<Task Enabled="True" Title="晚自习结束" Volume="100" StartTime="21:40:00" Duration="" StopTime="" PowerOff="True">' '</Task>'
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$work/app/user/task.xtask.dll"

cat >"$work/shot.sh" <<SH
#!/usr/bin/env bash
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p \$HOME \$XDG_CONFIG_HOME \$XDG_RUNTIME_DIR && chmod 700 \$XDG_RUNTIME_DIR
export KOLVA_AUDIO_SINK="fakesink sync=true" KOLVA_POWER_OFF_CMD=true
"$work/app/kolva" >"$work/kolva.log" 2>&1 &
pid=\$!
sleep 9
geometry=\$(xwininfo -name "KOLVA定时播放器" | awk '/Width:/ { w = \$2 } /Height:/ { h = \$2 } /Absolute upper-left X:/ { x = \$4 } /Absolute upper-left Y:/ { y = \$4 } END { print w "x" h "+" x "+" y }')
import -window root -crop "\$geometry" +repage "$work/shot.png"
kill \$pid
SH
xvfb-run -a -s "-screen 0 1024x700x24" bash "$work/shot.sh"
cp "$work/shot.png" "$here/screenshot.png"
echo "docs/screenshot.png written"
