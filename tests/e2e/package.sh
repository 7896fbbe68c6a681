#!/usr/bin/env bash
# The Debian package as a user gets it: built with cpack in the build folder,
# unpacked (dpkg-deb -x, nothing installed on the machine) into a temporary
# root whose /opt/kolva is read-only, and run there by a user who cannot write
# it (nobody) with a private HOME and XDG_DATA_HOME. The shipped task list is
# copied into the data folder on the first start, its due task plays into a
# capturing sink, and the playlist is written beside it, never into /opt.
#   package.sh APP_DIR TEST_BIN_DIR
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
build=$(cd "$1/.." && pwd)
if [ "$(id -u)" -ne 0 ] || ! id nobody >/dev/null 2>&1; then
  echo "SKIP: running as another user needs root and a 'nobody' user"
  exit 77
fi
chmod 755 "$work"
log=$work/out/kolva.log

# 1. The package, its name and its declared dependencies.
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$build/kolva_3.2.93_amd64.deb
[ -f "$deb" ] || fail "no $deb"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad \
  gstreamer1.0-libav fonts-wqy-microhei; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
root=$work/root
dpkg-deb -x "$deb" "$root"
app=$root/opt/kolva
for f in kolva user/compact.she.dll user/pic/1.gif user/task.xtask.dll; do
  [ -e "$app/$f" ] || fail "package lacks /opt/kolva/$f"
done
grep -q '^Exec="/opt/kolva/kolva"' "$root/usr/share/applications/kolva.desktop" || fail "desktop entry"
[ -f "$root/usr/share/icons/hicolor/256x256/apps/kolva.png" ] || fail "icon"
[ -f "$root/usr/share/dbus-1/interfaces/org.kolva.Scheduler1.xml" ] || fail "bus interface file"

# 2. The shipped list names a task due in 8 s (the package's own is for the
#    school day); then the folder becomes read-only, owned by root.
out=$work/out
mkdir -p "$out" "$work/media" "$work/home/data"
song=$work/media/tone.wav
e2e_tone "$song"
start=$(date -d '+8 seconds' +%H:%M:%S)
e2e_task 安装包 "$start" True "$song" | e2e_task_list "$app/user/task.xtask.dll"
chmod -R a-w "$app"
chmod 755 "$work/media" && chmod 644 "$song"
chown -R nobody "$out" "$work/home"

# 3. The program as nobody, as a menu start would run it (no runtime folder).
data=$work/home/data/kolva
setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
  env -i PATH="$PATH" HOME="$work/home" XDG_DATA_HOME="$work/home/data" QT_QPA_PLATFORM=offscreen \
  KOLVA_AUDIO_SINK="wavenc ! filesink location=$out/capture.wav" \
  KOLVA_POWER_OFF_CMD="touch '$out/poweroff'" "$app/kolva" >"$log" 2>&1 &
pid=$!
e2e_pids+=("$pid")
e2e_wait 30 test -e "$out/poweroff" || fail "the due task did not play to its end"

cmp -s "$app/user/task.xtask.dll" "$data/user/task.xtask.dll" || fail "shipped list not copied in"
[ "$(stat -c %U "$data/user/task.xtask.dll")" = nobody ] || fail "copied list is not the user's"
grep -q "<Ref href=\"$song\"/>" "$data/template.asx.dll" || fail "no playlist in the data folder"
[ ! -e "$app/template.asx.dll" ] || fail "wrote into the install folder"
! grep -q "Permission denied" "$out/kolva.log" || fail "a write was refused"

e2e_check_wav "$out/capture.wav" 1.2 2.0
echo "package: ok"
