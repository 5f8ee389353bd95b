#!/usr/bin/env bash
# What the live program costs while it sits in the tray: CPU share of one core, wake-ups per
# second across all its threads, and resident memory, measured from /proc over a run under a
# private virtual X server with a stand-in tray host on a private session bus.
#
# Usage: bench/idle_cost.sh [minutes, default 10] [tray|cpu] [extra processes, default $PROCESSES or 0]
#   tray  only the tray item is shown (goals: <= 0.05 % of one core, <= 2 wake-ups/s, RSS <= 60 MB)
#   cpu   the main window is open on the CPU page as well (goal: <= 2 % of one core, also with
#         about 2,000 processes: bench/idle_cost.sh 2 cpu 2000)
# The extra processes are idle ones of the script's own, in one process group ended at exit.
set -euo pipefail

minutes=${1:-10}
mode=${2:-tray}
processes=${3:-${PROCESSES:-0}}
source "$(dirname "$0")/../scripts/lib/virtual_session.sh"
source "$(dirname "$0")/../scripts/lib/idle_processes.sh"
session_build kovra kovra_sni_watcher
session_start bus

if ((processes > 0)); then
  idle_processes_start "$processes" "$work"
  session_pids+=("$idle_pgid")
fi

session_spawn "$build/bench/kovra_sni_watcher" >"$work/watcher.log" 2>&1
for _ in $(seq 100); do grep -q ready "$work/watcher.log" 2>/dev/null && break; sleep 0.1; done

extra=()
[ "$mode" = cpu ] && extra=(KOVRA_OPEN=cpu KOVRA_FORCE_VISIBLE=1)
session_spawn env "${extra[@]}" "$build/src/kovra" >"$work/kovra.log" 2>&1
pid=$spawned

# Let start-up and the first readings pass before measuring.
sleep 15
kill -0 "$pid" 2>/dev/null || { echo "idle_cost: kovra ended early:"; cat "$work/kovra.log"; exit 1; }

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Nanoseconds on a processor, summed over the live threads (finer than clock ticks).
run_ns() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'; }
# One line per live thread: tid, voluntary switches (the thread slept and was woken: a wake-up),
# involuntary ones (it was preempted while running, which depends on the machine's load), name.
per_thread() {
  for t in /proc/"$pid"/task/*; do
    awk -v name="$(cat "$t/comm" 2>/dev/null)" -v tid="${t##*/}" \
      '/^voluntary_ctxt_switches/ {v = $2} /^nonvoluntary_ctxt_switches/ {n = $2}
       END {if (v != "") print tid, v, n, name}' "$t/status" 2>/dev/null
  done
}
per_thread >"$work/threads0"
t0=$(date +%s.%N); c0=$(cpu_ticks); n0=$(run_ns)
sleep "$(awk -v m="$minutes" 'BEGIN {print m * 60}')"
t1=$(date +%s.%N); c1=$(cpu_ticks); n1=$(run_ns)
per_thread >"$work/threads1"
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
threads=$(ls "/proc/$pid/task" | wc -l)

awk -v mode="$mode" -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" \
    -v n0="$n0" -v n1="$n1" -v hz="$ticks" -v rss="$rss" -v threads="$threads" \
    -v procs="$(ls /proc | grep -c '^[0-9]')" 'BEGIN {
  d = t1 - t0
  printf "mode: %s, measured %.0f s, %d threads, %d processes on the machine\n", mode, d, threads, procs
  printf "cpu: %.4f %% of one core (scheduler time; %.3f %% from clock ticks)\n", 100 * (n1 - n0) / 1e9 / d, 100 * (c1 - c0) / hz / d
  printf "rss: %.1f MB\n", rss / 1024
}'
# Threads are matched by id; one started during the run counts from zero, one that ended during
# it is missing from the end figures and is reported as such.
awk -v d="$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')" '
  NR == FNR {v0[$1] = $2; p0[$1] = $3; next}
  {
    dv = $2 - ($1 in v0 ? v0[$1] : 0); dp = $3 - ($1 in p0 ? p0[$1] : 0); seen[$1] = 1
    name = $4; for (i = 5; i <= NF; i++) name = name " " $i
    rows[++n] = sprintf("  %-20s %6.2f %6.2f", name, dv / d, dp / d)
    wake += dv; preempt += dp
  }
  END {
    ended = 0; for (t in v0) if (!(t in seen)) ended++
    printf "wake-ups: %.2f per second (voluntary context switches, all threads)\n", wake / d
    printf "preemptions: %.2f per second (involuntary switches; they follow the machine'"'"'s load)\n", preempt / d
    if (ended) printf "threads that ended during the run (not counted): %d\n", ended
    print "per second by thread:          wake-ups preemptions"
    for (i = 1; i <= n; i++) print rows[i]
  }' "$work/threads0" "$work/threads1"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
grep -c registered "$work/watcher.log" | awk '{print "tray registrations seen by the watcher: " $1}'
