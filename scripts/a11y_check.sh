#!/usr/bin/env bash
# Starts the program under a private virtual X server and a private session bus with
# accessibility on, and reads its accessibility tree over the accessibility bus (AT-SPI):
# the dashboard's card buttons, labels and painted views must be there by name.
# Usage: scripts/a11y_check.sh   (KOVRA_BUILD_DIR: a build to use instead of build/release)
set -euo pipefail

source "$(dirname "$0")/lib/virtual_session.sh"
session_build kovra
# A private session bus; the accessibility bus is started from it on first request.
session_start bus

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 KOVRA_LOG=stderr KOVRA_FORCE_VISIBLE=1
session_spawn "$build/src/kovra" >"$work/kovra.log" 2>&1

if ! /usr/bin/python3 "$session_root/scripts/a11y_tree.py"; then
  echo "a11y_check: program log:" >&2
  tail -n 20 "$work/kovra.log" >&2
  exit 1
fi
