# Sourced by the scripts: one clean-up at exit, waiting for and stopping the processes a script
# has started, and its messages.

# log MESSAGE...: a line on the standard error, with the time.
log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

# on_exit COMMAND [ARGS...]: runs the command when the script ends, however it ends (exit, an error
# under set -e, Ctrl+C, TERM), keeping the script's exit status. The last one registered runs
# first, so that what was started later (a host on the X server) goes before what it needs.
on_exit_commands=()
on_exit() { on_exit_commands+=("$(printf '%q ' "$@")"); }

run_on_exit()
{
  local status=$? i
  set +e
  for ((i = ${#on_exit_commands[@]} - 1; i >= 0; i--)); do
    eval "${on_exit_commands[i]}"
  done
  on_exit_commands=()
  exit "$status"
}
trap run_on_exit EXIT
trap 'exit 130' INT TERM

# wait_for [--every SECONDS] SECONDS COMMAND [ARGS...]: runs the command until it succeeds, every
# quarter of a second or as often as asked; fails when the time is up first.
wait_for()
{
  local every=0.25
  [[ $1 == --every ]] && { every=$2; shift 2; }
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep "$every"
  done
}

# process_alive PID: whether the process still runs (a child that has exited stays a zombie until
# it is waited for); process_ended PID, the opposite.
process_alive()
{
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $state != Z* ]]
}
process_ended() { ! process_alive "$1"; }

# stop_process PID [SECONDS]: asks a child process to end, kills it when it has not within the
# time (some programs ignore the polite signal; default 5 s), and collects its exit.
stop_process()
{
  local pid=$1
  [[ -n $pid ]] || return 0
  kill "$pid" 2>/dev/null || true
  wait_for --every 0.05 "${2:-5}" process_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
