#!/usr/bin/env bash
# Installs the Debian packages Lumeta needs to build, run and test, when any is missing.
# With --tests, also those only the tests use (a headless GNOME Shell and a GTK text field for
# 送る through IBus).
set -euo pipefail

packages=(build-essential cmake pkg-config qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev fonts-ipafont-gothic xvfb xauth dpkg-dev desktop-file-utils appstream
  skkdic mecab-ipadic xdotool x11-utils xclip at-spi2-core dbus-daemon dbus-bin libglib2.0-bin
  python3 libx11-dev libxtst-dev libxdamage-dev openbox sway wtype qt6-wayland libwayland-dev
  libwayland-bin python3-tk libsqlite3-dev sqlite3 libkkc-data libmarisa-dev ibus libibus-1.0-dev)
if [ "${1:-}" = --tests ]; then
  packages+=(gnome-shell ibus-gtk3 python3-gi gir1.2-gtk-3.0 x11-xserver-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
