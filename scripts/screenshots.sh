#!/usr/bin/env bash
# Screenshots of the live program, one PNG per page, under a private virtual X server:
#   build/screenshots/{dashboard,memory,network,disk,cpu,settings,menupanel}.png
# and, for the detail pages, the bottom of each page (<page>-bottom.png); then the same set with
# the desktop asking for a dark colour scheme (<name>-dark.png), through a stand-in for the desktop
# portal on a private session bus.
# The temperature card and page are shot over a stand-in /sys tree (KOVRA_SYS_ROOT, by default the
# AMD desktop of the tests' fixtures): dashboard-sensors, sensors, sensors-bottom, menupanel-sensors.
# Usage: scripts/screenshots.sh [seconds to let readings settle, default 7]
# KOVRA_SHOTS: a pattern (grep -E) choosing which pictures to take, all by default.
set -euo pipefail

settle=${1:-7}
# KOVRA_BUILD_DIR: an existing build to use instead of the release build.
source "$(dirname "$0")/lib/virtual_session.sh"
out=$session_root/build/screenshots
session_build kovra kovra_test_portal
mkdir -p "$out"
session_start bus
export KOVRA_FORCE_VISIBLE=1

# The id of the top-level window titled "Kovra".
window_id() { xwininfo -root -tree 2>/dev/null | awk '/"Kovra"/ && /820x760|[0-9]+x[0-9]+/ {print $1; exit}'; }

shoot() {  # name, then environment assignments
  local name=$1; shift
  if [ -n "${KOVRA_SHOTS:-}" ] && ! grep -Eq "$KOVRA_SHOTS" <<<"$name"; then return; fi
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

shots() {  # suffix of the picture names
  shoot "dashboard$1" KOVRA_OPEN=
  for page in memory network disk cpu; do
    shoot "$page$1" KOVRA_OPEN=$page
    shoot "$page-bottom$1" KOVRA_OPEN=$page KOVRA_SCROLL=bottom
  done
  shoot "settings$1" KOVRA_OPEN=settings
  shoot "menupanel$1" KOVRA_OPEN=menupanel
  local sys=${KOVRA_SYS_ROOT:-$session_root/tests/fixtures/sys/amd-desktop}
  shoot "dashboard-sensors$1" KOVRA_OPEN= KOVRA_SYS_ROOT="$sys"
  shoot "sensors$1" KOVRA_OPEN=sensors KOVRA_SYS_ROOT="$sys"
  shoot "sensors-bottom$1" KOVRA_OPEN=sensors KOVRA_SCROLL=bottom KOVRA_SYS_ROOT="$sys"
  shoot "menupanel-sensors$1" KOVRA_OPEN=menupanel KOVRA_SYS_ROOT="$sys"
}

# No portal on the bus: no preference, the light scheme.
shots ""
session_spawn "$build/tests/ui/kovra_test_portal" dark
for _ in $(seq 50); do
  gdbus introspect --session --dest org.freedesktop.portal.Desktop --object-path /org/freedesktop/portal/desktop \
    >/dev/null 2>&1 && break
  sleep 0.1
done
shots -dark
