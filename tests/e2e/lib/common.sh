# What every end-to-end script needs, sourced at its top (this folder is not
# globbed into CTest, so this file is no test of its own):
#   source "$(dirname "$0")/lib/common.sh"
# It makes the work folder $work (removed at exit, with every process started
# here), and offers a private environment with a copy of the application
# folder, tones, task lists, an X server of our own, the program started and
# watched, waits that poll instead of sleeping a guess, and the capture check.
# Scripts run with `set -euo pipefail`.

e2e_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
log=$work/kolva.log # the program's output, shown by fail
pid=                # the program started by e2e_start
e2e_pids=()

e2e_cleanup() {
  local p
  for p in "${e2e_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${e2e_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$log" ] && sed 's/^/  log: /' "$log" >&2
  [ -f "$work/xvfb.log" ] && sed 's/^/  X server: /' "$work/xvfb.log" | tail -20 >&2
  exit 1
}

# The tools tools/setup.sh (test) installs: missing ones fail the test.
e2e_need() {
  local tool
  for tool in "$@"; do
    if [ "$tool" = pyatspi ]; then
      /usr/bin/python3 -c "import pyatspi" 2>/dev/null || fail "python3-pyatspi is missing (tools/setup.sh test)"
    else
      command -v "$tool" >/dev/null || fail "$tool is missing (tools/setup.sh test)"
    fi
  done
}

# A private HOME, configuration and runtime folder, and a copy of the
# application folder APP_SRC in $work/app without a task list or playlist.
e2e_app() {
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/media"
  chmod 700 "$XDG_RUNTIME_DIR"
  cp -r "$1" "$work/app"
  rm -f "$work/app/user/task.xtask.dll" "$work/app/template.asx.dll"
}

# Sound into $work/capture.wav, the power-off a touch of $work/poweroff.
e2e_capture() {
  export KOLVA_AUDIO_SINK="wavenc ! filesink location=$work/capture.wav"
  export KOLVA_POWER_OFF_CMD="touch '$work/poweroff'"
}

# A sine tone as a WAV file: e2e_tone FILE [HZ=440] [TENTHS=15] [CHANNELS=2].
e2e_tone() {
  gst-launch-1.0 -q audiotestsrc wave=sine freq="${2:-440}" volume=0.5 samplesperbuffer=4410 \
    num-buffers="${3:-15}" ! audio/x-raw,format=S16LE,rate=44100,channels="${4:-2}" ! wavenc \
    ! filesink location="$1" >/dev/null
}

# One task of one region, as the task file writes it (tabs, CR LF):
#   e2e_task TITLE START POWEROFF SONG...
# Set for the call when needed: enabled=False, region=NAME (default 区间),
# attrs='Days="…" Holidays="True"' (after PowerOff).
e2e_task() {
  local title=$1 start=$2 poweroff=$3 song
  shift 3
  printf '\t%s\r\n' "<Task Enabled=\"${enabled:-True}\" Title=\"$title\" Volume=\"100\" StartTime=\"$start\" Duration=\"\" StopTime=\"\" PowerOff=\"$poweroff\"${attrs:+ $attrs}>"
  printf '\t\t%s\r\n' "<Region Title=\"${region:-区间}\" Volume=\"-1\" Sort=\"0\" Repeat=\"0\" Duration=\"\">"
  for song in "$@"; do
    printf '\t\t\t%s\r\n' "<Song Repeat=\"0\" StartTime=\"\" Duration=\"\" SongFile=\"$song\"/>"
  done
  printf '\t\t%s\r\n' '</Region>' && printf '\t%s\r\n' '</Task>'
}

# The task list around the tasks on stdin, UTF-16LE with BOM: e2e_task_list FILE.
e2e_task_list() {
  {
    printf '%s\r\n' '<?xml version="1.0"?>' '<!--请以Unicode格式保存本文档-->' '<Tasklist>'
    cat
    printf '%s' '</Tasklist>'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$1"
}

# The program of $work/app in the background, its output in $log: e2e_start.
e2e_start() {
  "$work/app/kolva" >"$log" 2>&1 &
  pid=$!
  e2e_pids+=("$pid")
}

# Polls (0.1 s) until COMMAND succeeds: e2e_wait SECONDS COMMAND...; fails
# at once when the started program ends, returns 1 when time runs out.
e2e_wait() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null || fail "the program ended early"
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# The captured WAV holds MIN..MAX seconds of sound that is not silence:
# e2e_check_wav FILE MIN [MAX].
e2e_check_wav() {
  python3 "$e2e_lib/wav.py" "$@" || fail "capture check"
}

# An X server of our own, exported as DISPLAY with the accessibility bus on.
# A random display number whose lock file our server holds (-displayfd takes
# no lock here, so two runs at once could share a display), polled until it
# answers. -noreset: without it the server resets when its last client leaves
# (our probe), and a program connecting during that reset is refused.
e2e_xvfb() {
  local n xvfb attempt display=
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
    wait "$xvfb" 2>/dev/null || true
  done
  [ -n "$display" ] || fail "no Xvfb display answered"
  e2e_pids+=("$xvfb")
  export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
}

# A Python driver (stdin) in a D-Bus session of its own, with lib/drive.py
# importable and WORK set: e2e_drive < script.
e2e_drive() {
  WORK=$work PYTHONPATH=$e2e_lib dbus-run-session -- /usr/bin/python3 - "$@"
}
