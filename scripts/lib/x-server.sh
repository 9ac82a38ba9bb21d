# Sourced by the scripts: a private X server (Xvfb) with the openbox window manager, stopped at
# exit together with whatever still runs on it. Needs processes.sh.

x_pids=()
x_logs=""
x_stop_registered=""

# start_private_x [--no-window-manager] [--desktop-settings] [--size WxHxD] [--from N] LOG_DIR
# Starts Xvfb on the first free display from N and exports DISPLAY; the servers' logs go into
# LOG_DIR (Xvfb's to xvfb.log, which it appends to, so that a script may empty it while the server
# writes). The numbers start well above 0 (by default at 100 and a number taken from this
# process's id): JUCE falls back to display :0 when DISPLAY is unset, and nothing outside this
# script may find the server, nor this script another session's. A number that is taken is passed
# over; a server that does not come up (another one, exiting at the same moment, can rob it of its
# socket) is stopped and the next number tried.
start_private_x()
{
  local window_manager=yes settings="" size=1280x1024x24 n=$((100 + $$ % 800)) tries=0
  while [[ $1 == --* ]]; do
    case $1 in
      --no-window-manager) window_manager=""; shift ;;
      --desktop-settings) settings=yes; shift ;;
      --size) size=$2; shift 2 ;;
      --from) n=$2; shift 2 ;;
      *) echo "start_private_x: unknown option $1" >&2; return 2 ;;
    esac
  done
  x_logs=$1
  mkdir -p "$x_logs"
  : >"$x_logs/xvfb.log"
  [[ -n $x_stop_registered ]] || { on_exit stop_private_x; x_stop_registered=yes; }

  for ((; tries < 8 && n < 1000; n++)); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    tries=$((tries + 1))
    start_x_server "$n" "$size" &&
      { [[ -z $window_manager ]] || start_window_manager; } &&
      { [[ -z $settings ]] || start_desktop_settings; } &&
      return 0
    stop_x_programs
    unset DISPLAY
    sleep 0.2
  done
  cat "$x_logs"/{xvfb,openbox,xsettings}.log >&2 2>/dev/null
  echo "no X server" >&2
  return 1
}

# start_x_server N SIZE: Xvfb on display N, which writes the number once it accepts connections.
start_x_server()
{
  local ready=$x_logs/display pid
  unset DISPLAY # never the caller's own screen
  : >"$ready"
  Xvfb ":$1" -displayfd 3 -screen 0 "$2" -nolisten tcp 3>"$ready" 2>>"$x_logs/xvfb.log" &
  pid=$!
  x_pids+=("$pid")
  wait_for --every 0.05 5 x_started "$pid" "$ready" && [[ -s $ready ]] || return 1
  export DISPLAY=:$1
}
# x_started PID FILE: the server has written its number, or is gone.
x_started() { [[ -s $2 ]] || process_ended "$1"; }

# Openbox frames and places windows as desktops do, away from the screen's origin, and honours
# WM_DELETE_WINDOW; without a window manager JUCE can trip over missing atoms. It is ready once it
# has taken the root window.
start_window_manager()
{
  local pid
  HOME=$x_logs openbox --config-file /dev/null >"$x_logs/openbox.log" 2>&1 &
  pid=$!
  x_pids+=("$pid")
  wait_for --every 0.05 5 wm_started "$pid" && process_alive "$pid"
}
wm_started()
{
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || process_ended "$1"
}

# The desktop's settings, as a desktop session has them: without a theme and a scale there, JUCE
# forks gsettings to ask for them, and a fork in a sanitizer's threaded process can hang the child.
start_desktop_settings()
{
  local pid
  printf 'Net/ThemeName "Adwaita"\nGdk/WindowScalingFactor 1\n' >"$x_logs/xsettings"
  xsettingsd -c "$x_logs/xsettings" >"$x_logs/xsettings.log" 2>&1 &
  pid=$!
  x_pids+=("$pid")
  wait_for --every 0.05 5 settings_started "$pid" && process_alive "$pid"
}
settings_started() { grep -q 'Took ownership' "$x_logs/xsettings.log" || process_ended "$1"; }

# stop_private_x: kills whatever else still runs on the server (a forked child that never got to
# its exec, say: any process whose DISPLAY names this server), then stops the server's own programs.
stop_private_x()
{
  local environment pid
  if [[ -n ${DISPLAY:-} && ${#x_pids[@]} -gt 0 ]]; then
    for environment in /proc/[0-9]*/environ; do
      pid=${environment#/proc/}
      pid=${pid%/environ}
      [[ $pid != "$$" && " ${x_pids[*]} " != *" $pid "* ]] || continue
      # Other users' processes and ones already gone cannot be read; they are not ours anyway.
      if { tr '\0' '\n' <"$environment"; } 2>/dev/null |
        grep -qx "DISPLAY=$DISPLAY"; then
        kill -9 "$pid" 2>/dev/null || true
      fi
    done
  fi
  stop_x_programs
}

# stop_x_programs: the server and the programs started with it, the last started first.
stop_x_programs()
{
  local i
  for ((i = ${#x_pids[@]} - 1; i >= 0; i--)); do
    stop_process "${x_pids[i]}"
  done
  x_pids=()
}
