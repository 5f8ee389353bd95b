#!/usr/bin/env bash
# How long the hand waits, and what memory the program gives back, measured under a private
# virtual X server with a private session bus, a stand-in tray host and ~2,000 idle processes of
# the script's own (one process group, ended at exit). Prints min / median / max per row:
#
#   tray click → panel painted       Activate over the bus → menu panel painted (content released
#                                    before, and content still kept: closed 0.4 s before)
#   SecondaryActivate → window       → main window painted
#   card click → detail page         processor card → page painted, and painted with its app list
#                                    filled
#   exec → tray item registered      with the stand-in host
#   exec → label with rates, RAM %   first label with both figures, as the host receives it
#   RSS                              tray item alone, and after the main window was opened on
#                                    every page and closed MEMORY_ROUNDS times
#   --dump                           wall time of `kovra --dump`
#   home scan                        warm cache, a tree with one dominant subfolder and files with
#                                    several names, against du, interleaved
#
# Usage: bench/latency.sh            (Release build in build/release, or $KOVRA_BUILD_DIR)
#   ROUNDS=20 STARTS=10 DUMPS=10 MEMORY_ROUNDS=50 PROCESSES=2000 SCAN_FILES=150000 bench/latency.sh
set -euo pipefail

ROUNDS=${ROUNDS:-20}
STARTS=${STARTS:-10}
DUMPS=${DUMPS:-10}
MEMORY_ROUNDS=${MEMORY_ROUNDS:-50}
PROCESSES=${PROCESSES:-2000}
SCAN_FILES=${SCAN_FILES:-150000}
SCAN_ROUNDS=${SCAN_ROUNDS:-5}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/lib/virtual_session.sh"
source "$here/../scripts/lib/idle_processes.sh"
session_build kovra kovra_sni_watcher kovra_latency_driver bench_probe
session_start bus

idle_processes_start "$PROCESSES" "$work"
session_pids+=("$idle_pgid")
echo "machine: $(nproc) cores; $(ls /proc | grep -c '^[0-9]') processes"

session_spawn "$build/bench/kovra_sni_watcher" >"$work/watcher.log" 2>&1
for _ in $(seq 100); do grep -q ready "$work/watcher.log" 2>/dev/null && break; sleep 0.1; done

results=$work/results
: >"$results"

# --- start-up: exec → tray item registered, exec → label with rates and RAM % -----------------------
python3 - "$build/src/kovra" "$work/watcher.log" "$STARTS" >>"$results" <<'PY'
import os, re, signal, subprocess, sys, time
kovra, log, starts = sys.argv[1], sys.argv[2], int(sys.argv[3])
figures = re.compile(r"%\s*\d")           # "%45"
rates = re.compile(r"\d\s*(K|M|G)?(B/s|bps)")
for _ in range(starts):
    offset = os.path.getsize(log)
    t0 = time.monotonic() * 1000
    p = subprocess.Popen([kovra], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    registered = label = None
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and label is None:
        time.sleep(0.01)
        with open(log) as f:
            f.seek(offset)
            for line in f:
                parts = line.rstrip("\n").split(" ", 2)
                if parts[0] == "registered" and ("-%d-" % p.pid) in parts[1] and registered is None:
                    registered = float(parts[2]) - t0
                elif parts[0] == "label" and registered is not None and label is None:
                    text = parts[2] if len(parts) > 2 else ""
                    if figures.search(text) and rates.search(text):
                        label = float(parts[1]) - t0
    os.killpg(p.pid, signal.SIGTERM)
    p.wait()
    print("start-registered %.1f" % (registered if registered is not None else -1))
    print("start-label %.1f" % (label if label is not None else -1))
    time.sleep(0.5)
PY

# --- panel, window, page, memory: the live program driven from inside --------------------------------
ROUNDS=$ROUNDS MEMORY_ROUNDS=$MEMORY_ROUNDS "$build/bench/kovra_latency_driver" >>"$results" 2>"$work/driver.log" ||
  { echo "latency: the driver failed:"; tail -20 "$work/driver.log"; }

# --- --dump ---------------------------------------------------------------------------------------------
for _ in $(seq "$DUMPS"); do
  python3 -c '
import subprocess, sys, time
t = time.monotonic()
subprocess.run([sys.argv[1], "--dump"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("dump %.1f" % ((time.monotonic() - t) * 1000))' "$build/src/kovra" >>"$results"
done

# --- home scan, warm, against du interleaved ---------------------------------------------------------
idle_processes_stop
tree=$work/tree
python3 "$here/make_linked_tree.py" "$tree" "$SCAN_FILES" $((SCAN_FILES / 12)) >/dev/null
"$build/bench/bench_probe" scan "$tree" >/dev/null
du -sx "$tree" >/dev/null
for _ in $(seq "$SCAN_ROUNDS"); do
  "$build/bench/bench_probe" scan "$tree" | sed -n 's/.*wall_ms=\([0-9.]*\).*/scan \1/p' >>"$results"
  python3 -c '
import subprocess, sys, time
t = time.monotonic()
subprocess.run(["du", "-sx", sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("du %.1f" % ((time.monotonic() - t) * 1000))' "$tree" >>"$results"
done
chmod -R u+rwx "$tree"

# --- table ---------------------------------------------------------------------------------------------
python3 - "$results" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    key, value = line.split()
    rows.setdefault(key, []).append(float(value))
def row(title, key, goal, unit="ms"):
    v = rows.get(key, [])
    failed = sum(1 for x in v if x < 0)
    v = [x for x in v if x >= 0]
    if not v:
        print("%-44s %s" % (title, "no measurement"))
        return
    extra = " (%d without a result)" % failed if failed else ""
    print("%-44s min %8.1f  median %8.1f  max %8.1f %s  n=%d  goal %s%s" %
          (title, min(v), statistics.median(v), max(v), unit, len(v), goal, extra))
print()
row("tray click -> panel painted (released)", "panel-released", "<= 50 median, <= 100 worst")
row("tray click -> panel painted (kept)", "panel-kept", "(content kept while closed)")
row("SecondaryActivate -> main window painted", "window", "<= 150")
row("card click -> detail page painted", "page", "<= 100")
row("card click -> page painted, app list filled", "page-filled", "<= 100")
row("exec -> tray item registered", "start-registered", "<= 300")
row("exec -> label with rates and RAM %", "start-label", "<= 1300")
row("kovra --dump", "dump", "<= 1040")
row("home scan, warm (kovra)", "scan", "")
row("home scan, warm (du)", "du", "")
if rows.get("scan") and rows.get("du"):
    per = [d / k for k, d in zip(rows["scan"], rows["du"])]
    print("%-44s min %8.2f  median %8.2f  max %8.2f x    goal >= 1.8" %
          ("home scan: du time / kovra time", min(per), statistics.median(per), max(per)))
if rows.get("rss-tray") and rows.get("rss-after"):
    a, b = rows["rss-tray"][0], rows["rss-after"][0]
    print("%-44s tray only %.1f MB, after %.1f MB, difference %+.1f MB  goal <= +2 MB" %
          ("RSS (opened on every page and closed)", a / 1024, b / 1024, (b - a) / 1024))
    parts = ["%s %.1f -> %.1f MB" % (k, rows["rss-tray-" + k][0] / 1024, rows["rss-after-" + k][0] / 1024)
             for k in ("anon", "file", "shmem") if rows.get("rss-tray-" + k) and rows.get("rss-after-" + k)]
    print("%-44s %s" % ("  of which", ", ".join(parts)))
PY
