#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine.
#   tools/setup.sh run    install what is missing, build, start the program
#   tools/setup.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
build=${KOLVA_BUILD_DIR:-build}

packages=(
  cmake g++ pkg-config
  qt6-base-dev libqt6dbus6
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
  gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-tools
  gstreamer1.0-pulseaudio gstreamer1.0-alsa
  fonts-wqy-microhei qt6-translations-l10n
)
if [ "$mode" = test ]; then
  packages+=(libgtest-dev xvfb xauth xdotool at-spi2-core python3-pyatspi dbus-x11 x11-utils playerctl
             pulseaudio pulseaudio-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOLVA_WERROR=$werror
cmake --build "$build" -j"$(nproc)"

case "$mode" in
  run)
    exec "$build/app/kolva"
    ;;
  test)
    # Real-time sound tests share the two cores with the rest: two at a time.
    ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
