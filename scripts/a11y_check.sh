#!/usr/bin/env bash
# Starts the program under a private virtual X server and a private session bus with
# accessibility on, and reads its accessibility tree over the accessibility bus (AT-SPI):
# the dashboard's card buttons, labels and painted views must be there by name.
# Usage: scripts/a11y_check.sh   (KOVRA_BUILD_DIR: a build to use instead of build/release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build/release}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
if [ -z "${KOVRA_BUILD_DIR:-}" ]; then
  [ -f "$build/build.ninja" ] || cmake --preset release -DKOVRA_UI=ON >/dev/null
fi
cmake --build "$build" --target kovra -j2 >/dev/null

work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -TERM -- "-$p" 2>/dev/null || true; done
  sleep 0.3
  for p in "${pids[@]}"; do kill -KILL -- "-$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Each helper in its own process group, so that the whole group goes at the end.
setsid Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work

# A private session bus; the accessibility bus is started from it on first request.
setsid dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 KOVRA_LOG=stderr KOVRA_FORCE_VISIBLE=1
setsid "$build/src/kovra" >"$work/kovra.log" 2>&1 &
pids+=($!)

if ! /usr/bin/python3 "$root/scripts/a11y_tree.py"; then
  echo "a11y_check: program log:" >&2
  tail -n 20 "$work/kovra.log" >&2
  exit 1
fi
