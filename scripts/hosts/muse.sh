# MusE 4 (Debian's package muse) for the scripts that drive hosts (see common.sh beside this), on
# JACK_DEFAULT_SERVER's JACK server (its own dummy driver wants /dev/rtc or ALSA timers, which
# containers lack), with Lampwick from ~/.vst.

# shellcheck source=scripts/hosts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

muse_install() { install_missing muse; }

muse_home() { :; }

# muse_start [PROJECT]: MusE, with its main window clear of the editor's usual place, the screen's
# top left. Its tip of the day and its question about initialising instruments come a few seconds
# late.
muse_start()
{
  muse -j "$@" >>"$host_dir/muse.log" 2>&1 &
  host_pid=$!
  host_window=$(wait_window '^MusE' 60)
  local dialog
  for _ in $(seq 24); do
    dialog=$(xdotool search --onlyvisible --name 'Did you know' 2>/dev/null | head -n1 || true)
    [[ -n $dialog ]] && xdotool windowactivate --sync "$dialog" key Escape
    dialog=$(xdotool search --onlyvisible --name '^Instrument initialization' 2>/dev/null | head -n1 || true)
    [[ -n $dialog ]] && xdotool windowactivate --sync "$dialog" key Return
    sleep 0.5
  done
  place_main_window 620 0 960 1100
}

# A synth track (Add Track > Synth) with Lampwick; its editor opens with it.
muse_project()
{
  muse_start
  xdotool key shift+s
  wait_window '^Select Software Synthesizer' 20 >/dev/null
  sleep 1
  xdotool type --delay 30 Lampwick
  sleep 0.5
  xdotool key Tab
  sleep 0.3
  xdotool key Return
  sleep 2
  # File > Save: a new project called lw, in MusE's own folder (~/MusE).
  xdotool windowactivate --sync "$host_window" key ctrl+s
  wait_window '^Create Project' 10 >/dev/null && { sleep 0.5; xdotool type --delay 30 lw; xdotool key Return; }
  sleep 3
  keep_saved_project muse "$HOME/MusE" lw.med
}

muse_open() { muse_start "$host_project"; }

# The editor opens with the project when it was saved open; else select the synth track and use
# Edit > Open Synth Plugin GUI (Ctrl+U).
muse_editor()
{
  if ! wait_editor 3 >/dev/null; then
    local x y
    read -r x y _ < <(window_box "$host_window")
    xdotool windowactivate --sync "$host_window" mousemove $((x + 258)) $((y + 224)) click 1
    sleep 0.3
    xdotool key ctrl+u
    wait_editor 20 >/dev/null || return 1
  fi
  sleep 1
}

# MusE binds no key to quitting: File > Quit. Its question offers Save, Skip and Cancel.
muse_quit() { file_menu q; }

muse_discard() { xdotool windowactivate --sync "$1" key alt+k; }
