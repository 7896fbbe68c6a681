#!/usr/bin/env bash
# Builds the task file reader with clang's libFuzzer + ASan/UBSan and fuzzes it
# for a bounded time (default 300 s). Not part of the CI run.
#   fuzz/run-fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
out=build-fuzz
mkdir -p "$out/corpus"
flags="-g -O1 -fsanitize=fuzzer,address,undefined -std=c++20 -fPIC"
inc="$(pkg-config --cflags Qt6Core)"
libs="$(pkg-config --libs Qt6Core)"
clang++ $flags $inc -Isrc -I"$out" -o "$out/taskfile_fuzz" \
  fuzz/TaskFileFuzz.cpp src/model/TaskFile.cpp src/model/NumberText.cpp src/model/Task.cpp $libs
# Seed corpus: a few real task files.
printf '\xff\xfe' > "$out/corpus/seed1"
printf '<?xml version="1.0"?>\r\n<Tasklist>\r\n\t<Task Enabled="True" Title="a" Volume="1" StartTime="08:00:00" Duration="" StopTime="" PowerOff="False">\r\n\t\t<Region Title="r" Volume="-1" Sort="0" Repeat="2" Duration="">\r\n\t\t\t<Song Repeat="0" StartTime="" Duration="" SongFile="/a.mp3"/>\r\n\t\t</Region>\r\n\t</Task>\r\n</Tasklist>' \
  | iconv -f utf-8 -t utf-16le >> "$out/corpus/seed1"
printf '<Tasklist><Task><Region><Song SongFile="&amp;&#9;"/></Region></Task></Tasklist>' > "$out/corpus/seed2"
"$out/taskfile_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 "$out/corpus"
