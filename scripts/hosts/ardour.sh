# Ardour 7 (Debian's package ardour) for the scripts that drive hosts (see common.sh beside this),
# on its own Dummy backend, with Lampwick from ~/.vst.

# shellcheck source=scripts/hosts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ardour_install() { install_missing ardour; }

# The first-run wizard has run, and the Dummy backend starts by itself, so that a session opens
# with no dialog.
ardour_home()
{
  mkdir -p "$HOME/.config/ardour7"
  : >"$HOME/.config/ardour7/.a7"
  cat >"$HOME/.config/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="check-announcements" value="0"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="" device="Silence" input-device="" output-device=""
               sample-rate="48000" buffer-size="1024" n-periods="2" input-latency="0"
               output-latency="0" input-channels="0" output-channels="0" active="1"
               use-buffered-io="0" midi-option="" lru="1700000000">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML
}

# A session made by Ardour's Lua interpreter: one MIDI track, Lampwick first, then an instrument
# that plays what it sends.
ardour_project()
{
  # Ardour's own Linux VST path leaves out ~/.vst: LXVST_PATH adds it (as Preferences > Plugins
  # does), and the scanner records the plug-in as "Scan for Plugins" would.
  export LXVST_PATH=$HOME/.vst
  LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$HOME/.vst/Lampwick.so" \
    >"$host_dir/scan.log" 2>&1
  cat >"$host_dir/make-session.lua" <<'LUA'
local backend = AudioEngine:set_backend ("None (Dummy)", "", "")
backend:set_device_name ("Silence")
AudioEngine:start (false)
local s = create_session (os.getenv ("SESSION_DIR"), "lw", 48000)
assert (s, "no session")
local midi = ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1)
local track = s:new_midi_track (midi, midi, false, ARDOUR.PluginInfo (), nil, nil, 1, "MIDI",
                                ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true,
                                false):front ()
local router = ARDOUR.LuaAPI.new_plugin (s, "Lampwick", ARDOUR.PluginType.LXVST, "")
assert (not router:isnil (), "Lampwick not found")
assert (track:add_processor_by_index (router, 0, nil, true))
local synth = ARDOUR.LuaAPI.new_plugin (s, "ACE Reasonable Synth", ARDOUR.PluginType.LV2, "")
assert (not synth:isnil (), "no instrument")
assert (track:add_processor_by_index (synth, 1, nil, true))
s:save_state ("", false, false, false, false, false)
close_session ()
AudioEngine:stop (false)
LUA
  # Its Dummy backend now and then fails to register a port ("Port already exists"): try again.
  local session=$host_dir/session
  for _ in 1 2 3; do
    rm -rf "$session"
    SESSION_DIR=$session timeout 120 ardour7-lua "$host_dir/make-session.lua" \
      >"$host_dir/make-session.log" 2>&1 && [[ -f $session/lw.ardour ]] && break
  done
  [[ -f $session/lw.ardour ]] || { cat "$host_dir/make-session.log" >&2; return 1; }
  host_project=$session/lw.ardour
}

ardour_open()
{
  ardour -n -a "$host_project" >>"$host_dir/ardour.log" 2>&1 &
  host_pid=$!
  host_window=$(wait_window ' - Ardour$' 90)
  sleep 3
  place_main_window 0 0 1600 1150
}

# The mixer (Alt+M) shows Lampwick as the first entry of the track's processor box, in red: a
# double-click there opens its editor in a window of Ardour's own.
ardour_editor()
{
  local spot="" x y
  for _ in 1 2 3; do
    whole_screen "$host_dir/screen.png"
    spot=$(find_colour "$host_dir/screen.png" 260 150 200 200 red 40) && break
    xdotool windowactivate --sync "$host_window" key --clearmodifiers alt+m
    sleep 2
  done
  [[ -n $spot ]] || { log "Ardour's mixer does not show Lampwick"; return 1; }
  read -r x y <<<"$spot"
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
  wait_editor 30 >/dev/null || return 1
  sleep 1
}

ardour_quit() { xdotool windowactivate --sync "$host_window" key --clearmodifiers ctrl+q; }

# "Just quit" is the middle one of "Don't quit", "Just quit", "Save and quit".
ardour_discard()
{
  local x y w h
  xdotool windowmove --sync "$1" 400 400 # it may open partly below the screen's edge
  read -r x y w h < <(frame_box "$1")
  xdotool mousemove $((x + w / 2)) $((y + h - 22)) click 1
}
