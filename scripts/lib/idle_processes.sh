# Sourced by the benchmark scripts that need a crowded process table: starts `count` idle
# processes (`sleep`) in one process group of their own and waits until the table has grown by
# that many. idle_processes_stop (or killing the group, -$idle_pgid) ends them all at once.

idle_pgid=""

# idle_processes_start <count> <scratch folder>: sets $idle_pgid.
idle_processes_start() {
  local count=$1 scratch=$2 before
  before=$(ls /proc | grep -c '^[0-9]')
  # setsid forks when it leads a process group already: the group is the one the new shell reports.
  setsid bash -c "echo \$\$ >'$scratch/idle.pgid'; for i in \$(seq $count); do sleep 1000000 & done; wait" \
    </dev/null >/dev/null 2>&1 &
  disown  # its end, killed by idle_processes_stop, is no news
  for _ in $(seq 100); do [[ -s $scratch/idle.pgid ]] && break; sleep 0.05; done
  idle_pgid=$(cat "$scratch/idle.pgid")
  for _ in $(seq 300); do
    (($(ls /proc | grep -c '^[0-9]') >= before + count)) && break
    sleep 0.1
  done
}

idle_processes_stop() {
  [[ -n $idle_pgid ]] && kill -KILL -- "-$idle_pgid" 2>/dev/null || true
  idle_pgid=""
}
