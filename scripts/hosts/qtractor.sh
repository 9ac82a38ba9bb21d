# Qtractor (Debian's package qtractor) for the scripts that drive hosts (see common.sh beside
# this), on JACK_DEFAULT_SERVER's JACK server, with Lampwick from ~/.vst.

# shellcheck source=scripts/hosts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qtractor_install() { install_missing qtractor; }

# Plug-in editors open as soon as the plug-in is added, the plug-in chooser lists VST 2 ones; no
# autosave.
qtractor_home()
{
  mkdir -p "$HOME/.config/rncbc.org"
  cat >"$HOME/.config/rncbc.org/Qtractor.conf" <<CONF
[AutoSave]
Enabled=false

[Default]
AutoSessionDir=true
PluginType=3

[Plugins]
OpenEditor=true
CONF
}

# qtractor_start [SESSION]: Qtractor, with its main window in the screen's top left. Machines
# without an ALSA sequencer (/dev/snd) get an "engine could not be started" error at every start:
# JACK carries the audio and MIDI, so it is dismissed.
qtractor_start()
{
  # Its session dialog offers a new folder beside the one it was started in.
  mkdir -p "$host_dir/start"
  (cd "$host_dir/start" && exec qtractor "$@") >>"$host_dir/qtractor.log" 2>&1 &
  host_pid=$!
  local error
  if error=$(wait_window '^Error' 15); then
    xdotool windowactivate --sync "$error" key Return
  fi
  host_window=$(wait_window '^(Untitled|lw|/)' 30)
  sleep 2
  place_main_window 0 0 1500 1100
}

# Track > Add Track, MIDI, its Plugins tab, Add, "Lampwick": the new track's only plug-in.
qtractor_project()
{
  qtractor_start
  local track chooser x y
  xdotool key shift+Insert
  track=$(wait_window '^Track' 10)
  xdotool key alt+m
  sleep 0.3
  xdotool key ctrl+Tab
  sleep 0.5
  xdotool key alt+a
  chooser=$(wait_window '^Plugins' 20)
  sleep 2
  xdotool type --delay 30 Lampwick
  sleep 1
  read -r x y _ < <(window_box "$chooser")
  xdotool mousemove $((x + 40)) $((y + 54)) click 1 # the list's first row
  sleep 0.5
  xdotool key Return
  wait_editor 10 >/dev/null || true
  xdotool windowactivate --sync "$track" key Return
  sleep 1
  # File > Save: the session's name, yes to making its folder, and the file dialog's Save.
  xdotool windowactivate --sync "$host_window" key ctrl+s
  wait_window '^Session' 10 >/dev/null && { xdotool type --delay 30 lw; xdotool key Return; }
  wait_window '^Warning' 10 >/dev/null && xdotool key Return
  wait_window '^Save Session' 10 >/dev/null && { sleep 0.5; xdotool key Return; }
  sleep 2
  keep_saved_project qtractor "$host_dir" lw.qtr
}

qtractor_open() { qtractor_start "$host_project"; }

# The editor opens with the project when it was saved open; else a double-click on Lampwick in the
# track's plug-in list (its green light) opens it.
qtractor_editor()
{
  local spot x y
  if ! wait_editor 3 >/dev/null; then
    whole_screen "$host_dir/screen.png"
    spot=$(find_colour "$host_dir/screen.png" 140 100 190 300 green 2) || return 1
    read -r x y <<<"$spot"
    xdotool mousemove $((x + 40)) "$y" click --repeat 2 --delay 80 1
    wait_editor 20 >/dev/null || return 1
  fi
  sleep 1
}

# Qtractor binds no key to quitting: File > Exit.
qtractor_quit() { file_menu x; }

qtractor_discard() { discard_in_qt_question "$1"; }
