#!/usr/bin/env bash
# Lays out a sample task list with generated chimes in a fresh application
# folder: APP_DIR/user/task.xtask.dll and APP_DIR/user/sample/*.wav. Does
# nothing when the task file exists already, so a user's own list is never
# replaced by a rebuild. RUNTIME_APP_DIR is the folder the program will run
# from when that differs from where the files are made (an install with
# DESTDIR); the task file names the songs there.
#   make-sample.sh APP_DIR [RUNTIME_APP_DIR]
set -euo pipefail
app=${1:?usage: make-sample.sh APP_DIR [RUNTIME_APP_DIR]}
runtime=${2:-$app}
task_file=$app/user/task.xtask.dll
[ -e "$task_file" ] && exit 0

sample=$app/user/sample
mkdir -p "$sample"

# A short tone (frequency, tenths of a second) as 16-bit WAV.
tone() {
  local file=$1 freq=$2 tenths=$3
  [ -s "$file" ] && return 0
  gst-launch-1.0 -q audiotestsrc wave=sine freq="$freq" volume=0.4 samplesperbuffer=4410 \
    num-buffers="$tenths" ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! wavenc \
    ! filesink location="$file" >/dev/null
}
if command -v gst-launch-1.0 >/dev/null; then
  tone "$sample/chime-high.wav" 880 8
  tone "$sample/chime-low.wav" 660 12
  tone "$sample/bell.wav" 988 20
fi

# Attribute values with XML's reserved characters escaped.
x() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/"/\&quot;/g' <<<"$1"; }
high=$(x "$runtime/user/sample/chime-high.wav")
low=$(x "$runtime/user/sample/chime-low.wav")
bell=$(x "$runtime/user/sample/bell.wav")

# The task file: UTF-16LE with a byte-order mark, CR LF between lines, tabs
# for nesting, no line break after the last line.
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
{
  printf '%s\r\n' '<?xml version="1.0"?>'
  printf '%s\r\n' '<!--请以Unicode格式保存本文档-->'
  printf '%s\r\n' '<Tasklist>'
  printf '\t%s\r\n' '<Task Enabled="True" Title="早晨上课铃" Volume="80" StartTime="07:55:00" Duration="" StopTime="" PowerOff="False">'
  printf '\t\t%s\r\n' '<Region Title="铃声" Volume="-1" Sort="0" Repeat="2" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$high\"/>"
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$low\"/>"
  printf '\t\t%s\r\n' '</Region>'
  printf '\t%s\r\n' '</Task>'
  printf '\t%s\r\n' '<Task Enabled="True" Title="午间休息" Volume="60" StartTime="12:00:00" Duration="00:30:00" StopTime="" PowerOff="False">'
  printf '\t\t%s\r\n' '<Region Title="提示" Volume="-1" Sort="0" Repeat="0" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"3\" StartTime=\"\" Duration=\"\" SongFile=\"$bell\"/>"
  printf '\t\t%s\r\n' '</Region>'
  printf '\t\t%s\r\n' '<Region Title="轻音乐" Volume="40" Sort="1" Repeat="-1" Duration="00:20:00">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$low\"/>"
  printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$high\"/>"
  printf '\t\t%s\r\n' '</Region>'
  printf '\t%s\r\n' '</Task>'
  printf '\t%s\r\n' '<Task Enabled="False" Title="下班提醒" Volume="100" StartTime="17:30:00" Duration="" StopTime="17:45:00" PowerOff="False">'
  printf '\t\t%s\r\n' '<Region Title="铃声" Volume="-1" Sort="0" Repeat="1" Duration="">'
  printf '\t\t\t%s\r\n' "<Song Repeat=\"2\" StartTime=\"\" Duration=\"\" SongFile=\"$bell\"/>"
  printf '\t\t%s\r\n' '</Region>'
  printf '\t%s\r\n' '</Task>'
  printf '%s' '</Tasklist>'
} | iconv -f UTF-8 -t UTF-16LE > "$tmp"
mkdir -p "$(dirname "$task_file")"
{ printf '\xff\xfe'; cat "$tmp"; } > "$task_file.part"
mv "$task_file.part" "$task_file"
