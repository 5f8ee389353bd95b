#!/usr/bin/env bash
# Kovra side by side with the tools people use, on this machine, interleaved run by run:
#   process refresh  CPU per refresh with ~2,000 extra idle processes (btop, top, htop)
#   first reading    CPU and wall time of a fresh process sampler's first reading
#   --dump           wall time of `kovra --dump`
#   home scan        two generated trees, warm and cold cache (du, ncdu, gdu): "spread", ~300k files
#                    in ~25k folders of even shape; "linked", about as large, one subfolder holding
#                    most of it (an object store), deep chains and flat folders, sparse and
#                    preallocated files, symbolic links, files with several names across folders
#                    and unreadable folders; for each, the stat calls per entry (strace)
#
#   bench/compare.sh [build-dir]        (default build/release; built here when missing)
#   ROUNDS=3 PROCS=2000 FILES=300000 FOLDERS=25000 bench/compare.sh
#   SCAN=no bench/compare.sh            (the process rows only)
#
# Installs the peers from Debian when they are missing (as root). Everything it creates (idle
# processes in one process group, the tree in a temporary folder) is removed at the end.
# Cold-cache runs drop the page cache (echo 3 > /proc/sys/vm/drop_caches) when that is permitted.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${1:-build/release}
ROUNDS=${ROUNDS:-3}
PROCS=${PROCS:-2000}
FILES=${FILES:-300000}
FOLDERS=${FOLDERS:-25000}
REFRESHES=${REFRESHES:-40}
PEER_SECONDS=${PEER_SECONDS:-6}

need=()
command -v btop >/dev/null || need+=(btop)
command -v htop >/dev/null || need+=(htop)
command -v top >/dev/null || need+=(procps)
command -v du >/dev/null || need+=(coreutils)
command -v ncdu >/dev/null || need+=(ncdu)
command -v gdu >/dev/null || need+=(gdu)
command -v script >/dev/null || need+=(bsdutils)
command -v perf >/dev/null || need+=(linux-perf)
command -v python3 >/dev/null || need+=(python3)
if ((${#need[@]})); then
  if [[ $(id -u) == 0 ]]; then
    apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
  else
    echo "missing: sudo apt-get install ${need[*]}" >&2
    exit 1
  fi
fi

if [[ ! -x $BUILD/src/kovra || ! -x $BUILD/bench/bench_probe ]]; then
  cmake --preset release -DKOVRA_UI=OFF >/dev/null
  cmake --build "$BUILD" --target kovra bench_probe -j2 >/dev/null
fi
KOVRA=$BUILD/src/kovra
PROBE=$BUILD/bench/bench_probe

WORK=$(mktemp -d /tmp/kovra-compare-XXXXXX)
source scripts/lib/idle_processes.sh
cleanup() {
  idle_processes_stop
  pkill -KILL -s 0 -x btop 2>/dev/null || true
  chmod -R u+rwx "$WORK" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# CPU milliseconds (user + system, of the command and its waited-for children) and wall
# milliseconds of one command: "cpu wall".
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
t = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
wall = (time.monotonic() - t) * 1000
u = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.1f %.1f" % ((u.ru_utime + u.ru_stime) * 1000, wall))
PY
}

# A full-screen peer in a 160x50 pseudo-terminal for `seconds`; prints its CPU ms per refresh
# between the end of its second second and the end, the refreshes in that span (its writes to the
# terminal, one per screen for btop, counted with perf; for htop, which writes several times per
# screen, and without perf, the nominal count from the interval: an upper bound, so the peer's
# figure is a lower bound) and how they were counted.
peer_in_terminal() {  # name seconds interval command...
  local name=$1 seconds=$2 interval=$3
  shift 3
  local cmd="stty rows 50 cols 160; exec $*"
  python3 - "$name" "$seconds" "$interval" "$cmd" "$WORK" <<'PY'
import os, subprocess, sys, time
name, seconds, interval, cmd, work = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4], sys.argv[5]
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work + "/config", TERM="xterm-256color", LANG="C.UTF-8",
           LC_ALL="C.UTF-8")
# btop takes its refresh interval from its configuration only.
os.makedirs(work + "/config/btop", exist_ok=True)
with open(work + "/config/btop/btop.conf", "w") as f:
    f.write("update_ms = 100\n")
tick = os.sysconf("SC_CLK_TCK")

def start(prefix=""):
    return subprocess.Popen(["script", "-qfec", prefix + cmd, "/dev/null"], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, start_new_session=True)

def find(p):
    # The peer runs below `script`, in a session of its own.
    for _ in range(100):
        parent, comm = {}, {}
        for d in os.listdir("/proc"):
            if d.isdigit():
                try:
                    with open("/proc/%s/stat" % d) as f:
                        text = f.read()
                except OSError:
                    continue
                comm[int(d)] = text[text.index("(") + 1:text.rindex(")")]
                parent[int(d)] = int(text.rsplit(")", 1)[1].split()[1])
        for pid, c in comm.items():
            if c != name:
                continue
            up = pid
            while up > 1 and up != p.pid:
                up = parent.get(up, 0)
            if up == p.pid:
                return pid
        time.sleep(0.05)
    raise SystemExit("%s did not start" % name)

def cpu(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000.0 / tick

def stop(p):
    try:
        os.killpg(p.pid, 9)
    except ProcessLookupError:
        pass
    p.wait()

p = start()
pid = find(p)
time.sleep(2)
# Each refresh ends with one write of the new screen to the terminal: perf counts the writes.
out = work + "/perf-" + name
a = cpu(pid)
perf = subprocess.run(["perf", "stat", "-x,", "-o", out, "-e", "syscalls:sys_enter_write", "-p", str(pid),
                       "--", "sleep", str(seconds - 2)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
b = cpu(pid)
stop(p)
refreshes = 0
try:
    for line in open(out):
        if "sys_enter_write" in line and line.split(",")[0].isdigit():
            refreshes = int(line.split(",")[0])
except OSError:
    pass
how = "writes counted by perf"
# htop (ncurses) writes several times per screen: its count is the nominal one.
if refreshes == 0 or name == "htop":
    refreshes, how = (seconds - 2) / interval, "nominal"
print("%.2f %.0f %s" % ((b - a) / refreshes, refreshes, how.replace(" ", "_")))
PY
}

ratio() { python3 -c "import sys; a,b=float(sys.argv[1]),float(sys.argv[2]); print('%.2f' % (a/b if b else float('nan')))" "$1" "$2"; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

echo "machine: $(nproc) cores, $(uname -r); rounds: $ROUNDS"

# --- scale: idle processes of our own, in one process group --------------------------------------
idle_processes_start "$PROCS" "$WORK"
echo "processes: $(ls /proc | grep -c '^[0-9]')"

# --- process refresh, first reading, dump ---------------------------------------------------------
declare -a ours btop top htop first firstwall dump
for r in $(seq "$ROUNDS"); do
  # 100 ms apart, as btop and top refresh below: back to back, every refresh would find the
  # kernel's data still in the processor's caches and cost far less than a monitor's does.
  o=$("$PROBE" refresh "$REFRESHES" 100 | sed -n 's/.*cpu_ms_per_refresh=\([0-9.]*\).*/\1/p')
  ours+=("$o"); echo "round $r: kovra refresh  ${o} ms CPU per refresh ($REFRESHES refreshes 100 ms apart)"
  read -r b n how < <(peer_in_terminal btop "$PEER_SECONDS" 0.1 btop --utf-force)
  btop+=("$b"); echo "round $r: btop refresh   ${b} ms CPU per refresh ($n refreshes: $how; update_ms = 100)"
  read -r c1 _ < <(measure top -b -d 0.1 -n 1)
  read -r cn _ < <(measure top -b -d 0.1 -n $((REFRESHES + 1)))
  t=$(python3 -c "print('%.2f' % (($cn - $c1) / $REFRESHES))")
  top+=("$t"); echo "round $r: top refresh    ${t} ms CPU per refresh ($REFRESHES refreshes, top -b -d 0.1)"
  read -r h n how < <(peer_in_terminal htop "$PEER_SECONDS" 0.1 htop -d 1)
  htop+=("$h"); echo "round $r: htop refresh   ${h} ms CPU per refresh ($n refreshes: $how; htop -d 1)"
  line=$("$PROBE" first)
  f=$(sed -n 's/.*cpu_ms=\([0-9.]*\).*/\1/p' <<<"$line"); fw=$(sed -n 's/.*wall_ms=\([0-9.]*\).*/\1/p' <<<"$line")
  first+=("$f"); firstwall+=("$fw"); echo "round $r: kovra first reading ${f} ms CPU, ${fw} ms wall ($line)"
  read -r _ d < <(measure "$KOVRA" --dump)
  dump+=("$d"); echo "round $r: kovra --dump   ${d} ms wall"
done

idle_processes_stop

# --- home scan -------------------------------------------------------------------------------------
declare -A warm cold
TREES=()
if [[ ${SCAN:-yes} != no ]]; then
python3 - "$WORK/spread" "$FILES" "$FOLDERS" <<'PY'
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
random.seed(11)
tops = 25
per_top = max(1, folders // tops)
mids = max(1, int(per_top ** 0.5))
made = []
for t in range(tops):
    for m in range(mids):
        for l in range(max(1, per_top // mids)):
            d = os.path.join(root, "top%02d" % t, "mid%03d" % m, "leaf%03d" % l)
            os.makedirs(d, exist_ok=True)
            made.append(d)
for i in range(files):
    d = made[random.randrange(len(made))]
    x = random.random()
    size = random.randint(0, 4096) if x < 0.6 else random.randint(4096, 65536) if x < 0.97 else random.randint(65536, 2 << 20)
    fd = os.open(os.path.join(d, "f%06d" % i), os.O_WRONLY | os.O_CREAT, 0o644)
    if size:
        os.posix_fallocate(fd, 0, size)
    os.close(fd)
print("tree spread: %d files in %d folders" % (files, len(made) + tops + tops * mids + 1))
PY
TREES+=(spread)

python3 bench/make_linked_tree.py "$WORK/linked" "$FILES" "$FOLDERS"
TREES+=(linked)
for t in "${TREES[@]}"; do "$PROBE" scan-check "$WORK/$t"; done

# Stat calls per entry, from the system calls each tool makes (strace counts them).
stat_calls() {  # tree command...
  local tree=$1
  shift
  local entries
  entries=$(find "$tree" -mindepth 1 2>/dev/null | wc -l)
  strace -f -c -o "$WORK/strace" -e trace=statx,newfstatat,fstat,lstat,stat,openat,openat2,getdents64 "$@" >/dev/null 2>&1 || true
  awk -v e="$entries" '$NF ~ /^(statx|newfstatat|fstat|lstat|stat)$/ {s += $4} $NF ~ /^(openat|openat2|getdents64)$/ {o = o " " $NF "=" $4}
    END {printf "%.3f stat calls per entry (%d for %d entries;%s)\n", s / e, s, e, o}' "$WORK/strace"
}

drop() { sync; echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; }
COLD=yes
drop || COLD=no
[[ $COLD == no ]] && echo "cold cache: not permitted here (no write to /proc/sys/vm/drop_caches); cold rows skipped"

run_scan() {  # label cache command...
  local label=$1 cache=$2
  shift 2
  [[ $cache == cold ]] && drop
  read -r c w < <(measure "$@")
  echo "$label $cache: ${w} ms wall, ${c} ms CPU"
  if [[ $cache == warm ]]; then warm[$label]+="$w "; else cold[$label]+="$w "; fi
}
for t in "${TREES[@]}"; do
  TREE=$WORK/$t
  echo "-- tree $t"
  echo "kovra: $(stat_calls "$TREE" "$PROBE" scan "$TREE")"
  echo "du:    $(stat_calls "$TREE" du -sx "$TREE")"
  "$PROBE" scan "$TREE" >/dev/null; du -sx "$TREE" >/dev/null  # warm the cache
  for r in $(seq "$ROUNDS"); do
    run_scan "$t/kovra" warm "$PROBE" scan "$TREE"
    run_scan "$t/kovra-1thread" warm "$PROBE" scan "$TREE" 1
    run_scan "$t/du" warm du -sx "$TREE"
    run_scan "$t/ncdu" warm ncdu -x -o /dev/null "$TREE"
    run_scan "$t/gdu" warm gdu -npsx "$TREE"
  done
  echo "kovra memory: $("$PROBE" scan "$TREE" | sed -n 's/.*max_rss_kb=\([0-9]*\).*/\1/p') kB peak resident"
  if [[ $COLD == yes ]]; then
    for r in $(seq "$ROUNDS"); do
      run_scan "$t/kovra" cold "$PROBE" scan "$TREE"
      run_scan "$t/du" cold du -sx "$TREE"
      run_scan "$t/gdu" cold gdu -npsx "$TREE"
    done
  fi
done
fi

# --- summary ---------------------------------------------------------------------------------------
mo=$(median "${ours[@]}"); mb=$(median "${btop[@]}"); mt=$(median "${top[@]}"); mh=$(median "${htop[@]}")
echo
echo "== summary (medians of $ROUNDS rounds) =="
echo "process refresh CPU per refresh: kovra $mo ms, btop $mb ms, top $mt ms, htop $mh ms"
echo "  ratio to btop: $(ratio "$mo" "$mb") (goal <= 0.40); to top: $(ratio "$mo" "$mt"); to htop: $(ratio "$mo" "$mh")"
# Each round's pair ran within seconds of each other: their ratio drifts less with the machine's load.
per=(); for i in "${!ours[@]}"; do per+=("$(ratio "${ours[$i]}" "${btop[$i]}")"); done
echo "  ratio to btop round by round: ${per[*]} (median $(median "${per[@]}"))"
echo "first process reading: $(median "${first[@]}") ms CPU, $(median "${firstwall[@]}") ms wall (goal <= 40 ms)"
echo "kovra --dump wall time: $(median "${dump[@]}") ms (goal <= 1060 ms)"
[[ ${SCAN:-yes} == no ]] && exit 0
for t in "${TREES[@]}"; do
  kw=$(median ${warm[$t/kovra]}); dw=$(median ${warm[$t/du]})
  echo "home scan warm, tree $t: kovra $kw ms, one-thread $(median ${warm[$t/kovra-1thread]}) ms, du $dw ms, ncdu $(median ${warm[$t/ncdu]}) ms, gdu $(median ${warm[$t/gdu]}) ms"
  k=(${warm[$t/kovra]}); d=(${warm[$t/du]}); per=()
  for i in "${!k[@]}"; do per+=("$(ratio "${d[$i]}" "${k[$i]}")"); done
  echo "  kovra is $(ratio "$dw" "$kw")x faster than du (goal >= 1.8); round by round: ${per[*]} (median $(median "${per[@]}"))"
  if [[ $COLD == yes ]]; then
    kc=$(median ${cold[$t/kovra]}); gc=$(median ${cold[$t/gdu]})
    echo "home scan cold, tree $t: kovra $kc ms, du $(median ${cold[$t/du]}) ms, gdu $gc ms"
    echo "  kovra is $(ratio "$gc" "$kc")x as fast as gdu (goal > 1.0)"
  fi
done
