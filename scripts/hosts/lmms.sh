# LMMS 1.2.2 with its Windows VST server (Debian's lmms:i386 and lmms-vst-server:i386) for the
# scripts that drive hosts (see common.sh beside this): its VeSTige instrument runs the 32-bit
# Lampwick.dll under wine. Debian builds LMMS's VST support only for i386, so LMMS itself is the
# 32-bit package, under an emulator where the machine cannot run 32-bit programs.

# shellcheck source=scripts/hosts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Wine comes with the packages; the emulator with scripts/install-deps-windows where it is needed.
lmms_install()
{
  install_missing lmms:i386 lmms-vst-server:i386 wine wine32:i386
  wine32_runs || "$project_root/scripts/install-deps-windows"
}

# lmms_home [EMBED [WINEPREFIX]]: LMMS configured once (no first-run questions), silent, and
# showing plug-in editors as EMBED says (LMMS's "Plugin embedding": none, the default here, xembed
# or qt); and wine with its prefix (default ~/.wine), made before LMMS starts, which takes a while
# the first time. The MIDI device is LMMS's dummy one by the name LMMS knows it by: with a name it
# does not know, LMMS tries ALSA, OSS and JACK in turn, and the JACK client it can then make on a
# running JACK server crashes LMMS when it quits.
lmms_home()
{
  mkdir -p "$HOME/lmms/vst"
  cat >"$HOME/.lmmsrc.xml" <<XML
<?xml version="1.0"?>
<!DOCTYPE lmms-config-file>
<lmms version="1.2.2">
  <app configured="1" nomsgaftersetup="1" nommpz="1" openlastproject="0" nanhandler="1" language="en"/>
  <mixer audiodev="Dummy (no sound output)" mididev="Dummy (no MIDI support)" framesperaudiobuffer="256"/>
  <paths workingdir="$HOME/lmms/" vstdir="$HOME/lmms/vst/"/>
  <ui vstembedmethod="${1:-none}" enableautosave="0"/>
</lmms>
XML
  use_wine win32 "${2:-$HOME/.wine}"
  wine_prefix_made || { log "Making the wine prefix (about a minute)"; make_wine_prefix; }
}

# lmms_write_project FILE DLL: a song whose one instrument track holds the DLL in LMMS's VeSTige
# instrument, with the plug-in's editor showing on loading.
lmms_write_project()
{
  cat >"$1" <<XML
<?xml version="1.0"?>
<!DOCTYPE lmms-project>
<lmms-project type="song" version="1.0" creator="LMMS" creatorversion="1.2.2">
  <head timesig_denominator="4" bpm="120" masterpitch="0" mastervol="100" timesig_numerator="4"/>
  <song>
    <trackcontainer visible="1" width="600" height="300" type="song" x="6" y="5" maximized="0" minimized="0">
      <track type="0" muted="0" name="Lampwick" solo="0">
        <instrumenttrack vol="100" pan="0" fxch="0" pitch="0" basenote="57" pitchrange="1">
          <instrument name="vestige">
            <vestige plugin="$2" guivisible="1"/>
          </instrument>
        </instrumenttrack>
      </track>
    </trackcontainer>
    <fxmixer visible="0" width="561" height="332" x="5" y="310" maximized="0" minimized="0">
      <fxchannel num="0" muted="0" volume="1" name="Master" soloed="0">
        <fxchain numofeffects="0" enabled="0"/>
      </fxchannel>
    </fxmixer>
    <timeline lp0pos="0" lp1pos="192" lpstate="0"/>
    <controllers/>
  </song>
</lmms-project>
XML
}

# The DLL is installed in LMMS's VST folder, as a musician would.
lmms_project()
{
  local dll=$HOME/lmms/vst/Lampwick.dll
  cp "$project_root/build-win32/Lampwick.dll" "$dll"
  host_project=$host_dir/lw.mmp
  lmms_write_project "$host_project" "$dll"
}

# lmms_start: LMMS with $host_project, where it lays its windows out itself.
lmms_start()
{
  local root_only=()
  [[ $(id -u) -ne 0 ]] || root_only=(--allowroot)
  lmms "${root_only[@]}" "$host_project" >>"$host_dir/lmms.log" 2>&1 &
  host_pid=$!
}

# lmms_open: LMMS with its main window clear of the editor's usual place, the screen's top left.
lmms_open()
{
  lmms_start
  host_window=$(wait_window ' - LMMS' 60)
  sleep 2
  place_main_window 620 0 960 1100
}

lmms_editor()
{
  wait_editor 120 >/dev/null || return 1
  sleep 2
}

lmms_quit() { xdotool windowactivate --sync "$host_window" key ctrl+q; }

lmms_discard() { discard_in_qt_question "$1"; }
