#!/usr/bin/env bash
# Screenshots of the live program, one PNG per page, under a private virtual X server:
#   build/screenshots/{dashboard,memory,network,disk,cpu,settings,menupanel}.png
# and, for the detail pages, the bottom of each page (<page>-bottom.png).
# Usage: scripts/screenshots.sh [seconds to let readings settle, default 7]
set -euo pipefail

settle=${1:-7}
# KOVRA_BUILD_DIR: an existing build to use instead of the release build.
source "$(dirname "$0")/lib/virtual_session.sh"
out=$session_root/build/screenshots
session_build kovra
mkdir -p "$out"
session_start
export KOVRA_FORCE_VISIBLE=1

# The id of the top-level window titled "Kovra".
window_id() { xwininfo -root -tree 2>/dev/null | awk '/"Kovra"/ && /820x760|[0-9]+x[0-9]+/ {print $1; exit}'; }

shoot() {  # name, then environment assignments
  local name=$1; shift
  session_spawn env "$@" "$build/src/kovra" >"$work/$name.log" 2>&1
  local pid=$spawned
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
