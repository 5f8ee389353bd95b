#!/usr/bin/env bash
# Screenshots of the live program, one PNG per page, under a private virtual X server:
#   build/screenshots/{dashboard,memory,network,disk,cpu,settings,menupanel}.png
# and, for the detail pages, the bottom of each page (<page>-bottom.png).
# Usage: scripts/screenshots.sh [seconds to let readings settle, default 7]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
settle=${1:-7}
# KOVRA_BUILD_DIR: an existing build to use instead of the release build.
build=${KOVRA_BUILD_DIR:-$root/build/release}
out=$root/build/screenshots

export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
if [ -z "${KOVRA_BUILD_DIR:-}" ]; then
  [ -f "$build/build.ninja" ] || cmake --preset release -DKOVRA_UI=ON >/dev/null
fi
cmake --build "$build" --target kovra -j2 >/dev/null
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -TERM -- "-$p" 2>/dev/null || true; done
  sleep 0.3
  for p in "${pids[@]}"; do kill -KILL -- "-$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Each helper in its own process group, so that the whole group goes at the end.
setsid Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"

export DISPLAY=$display
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
export DBUS_SESSION_BUS_ADDRESS=disabled: KOVRA_LOG=stderr
export KOVRA_FORCE_VISIBLE=1
chmod 700 "$work"

# The id of the top-level window titled "Kovra".
window_id() { xwininfo -root -tree 2>/dev/null | awk '/"Kovra"/ && /820x760|[0-9]+x[0-9]+/ {print $1; exit}'; }

shoot() {  # name, then environment assignments
  local name=$1; shift
  env "$@" setsid "$build/src/kovra" >"$work/$name.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local id=""
  for _ in $(seq 100); do id=$(window_id); [ -n "$id" ] && break; sleep 0.1; done
  sleep "$settle"
  id=$(window_id)
  if [ -z "$id" ]; then
    echo "screenshots: no window for $name (log: $(tail -n 3 "$work/$name.log"))" >&2
  else
    import -window "$id" "$out/$name.png"
    echo "$out/$name.png"
  fi
  kill -TERM -- "-$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL -- "-$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

shoot dashboard KOVRA_OPEN=
for page in memory network disk cpu; do
  shoot "$page" KOVRA_OPEN=$page
  shoot "$page-bottom" KOVRA_OPEN=$page KOVRA_SCROLL=bottom
done
shoot settings KOVRA_OPEN=settings
shoot menupanel KOVRA_OPEN=menupanel
