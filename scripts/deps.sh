#!/usr/bin/env bash
# Installs the Debian packages the build needs that are not on the machine yet.
# As root it runs apt-get; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config git
          nlohmann-json3-dev libsystemd-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev
          iproute2 strace dpkg-dev desktop-file-utils appstream)
if [ "${KOVRA_WITH_UI:-1}" = 1 ]; then
  packages+=(qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libxcb1-dev fonts-dejavu-core)
  # The D-Bus tests start a private bus; the screenshots and the accessibility check a virtual screen.
  packages+=(dbus-daemon xvfb xauth imagemagick)
  # scripts/a11y_check.sh reads the accessibility tree over AT-SPI.
  packages+=(at-spi2-core python3-gi gir1.2-atspi-2.0)
fi
# The real-panel test (tests/desktop): panels, a window manager, clicks and screenshots.
if [ "${KOVRA_DESKTOP_TESTS:-0}" = 1 ]; then
  packages+=(xfwm4 xfce4-panel xfconf trayer tint2 xdotool x11-utils wmctrl python3
             xfce4-indicator-plugin ayatana-indicator-application
             gnome-shell gnome-shell-extension-appindicator xwayland
             plasma-workspace plasma-desktop kwin-x11)
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "kovra: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "kovra: missing packages; run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
