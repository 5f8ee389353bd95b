# Sourced by the scripts that run the real program on a private virtual screen (screenshots,
# accessibility check, idle cost). Gives them a build to run, a temporary home for the run, an
# Xvfb and, on request, a private session bus. Everything started through session_spawn or
# session_start is ended, process group and all, when the script exits.

session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
session_pids=()

# session_build <targets…>: builds them in $KOVRA_BUILD_DIR, or in build/release (configured
# with the front end on first use). Sets $build.
session_build() {
  build=${KOVRA_BUILD_DIR:-$session_root/build/release}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  if [ -z "${KOVRA_BUILD_DIR:-}" ] && [ ! -f "$build/build.ninja" ]; then
    (cd "$session_root" && cmake --preset release -DKOVRA_UI=ON >/dev/null)
  fi
  cmake --build "$build" --target "$@" -j2 >/dev/null
}

session_cleanup() {
  for p in "${session_pids[@]}"; do kill -TERM -- "-$p" 2>/dev/null || true; done
  sleep 0.3
  for p in "${session_pids[@]}"; do kill -KILL -- "-$p" 2>/dev/null || true; done
  rm -rf "$work"
}

# session_spawn <command…>: starts it in a process group of its own, remembered for the end.
# Sets $spawned to its pid.
session_spawn() {
  setsid "$@" &
  spawned=$!
  session_pids+=("$spawned")
}

# session_start [bus]: sets $work, DISPLAY, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and KOVRA_LOG. With
# "bus", a private session bus; otherwise the program sees no bus at all.
session_start() {
  work=$(mktemp -d)
  chmod 700 "$work"
  trap session_cleanup EXIT
  session_spawn Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
  if [ "${1:-}" = bus ]; then
    session_spawn dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1
    for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.1; done
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
  else
    export DBUS_SESSION_BUS_ADDRESS=disabled:
  fi
  export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work KOVRA_LOG=stderr
}
