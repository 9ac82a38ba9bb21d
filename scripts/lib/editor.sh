# Sourced by the scripts: Lampwick's editor on the screen. Its size and the places of its
# connectors come from the build (canvas-geometry.sh, written from the editor's own code: the
# editor's size, and the centres of the connectors in its own coordinates). Needs processes.sh
# and x-windows.sh.

# load_canvas_geometry BUILD_DIR: reads the geometry that the build wrote there.
load_canvas_geometry()
{
  [[ -f $1/canvas-geometry.sh ]] ||
    { echo "no $1/canvas-geometry.sh: build the target canvas_geometry_for_scripts" >&2; return 1; }
  # shellcheck source=/dev/null
  source "$1/canvas-geometry.sh"
}

# connector input|output CHANNEL: "X Y", the centre of that channel's connector (channels from 1)
# in the editor.
connector()
{
  local x=$INPUT_CONNECTOR_X
  [[ $1 == input ]] || x=$OUTPUT_CONNECTOR_X
  echo "$x $((FIRST_CONNECTOR_Y + CONNECTOR_PITCH * ($2 - 1)))"
}

# drag_route X Y IN OUT [PAUSE [STEP]]: drags from input channel IN to output channel OUT in the
# editor whose top left is at X Y on the screen (PAUSE and STEP as for drag).
drag_route()
{
  local x=$1 y=$2 from_x from_y to_x to_y
  read -r from_x from_y < <(connector input "$3")
  read -r to_x to_y < <(connector output "$4")
  shift 4
  drag $((x + from_x)) $((y + from_y)) $((x + to_x)) $((y + to_y)) "$@"
}

# editor_windows: "ID X Y" for each shown window of the editor's size (hosts may wrap it in more
# windows of that size), at its place on the screen.
editor_windows()
{
  local id x y
  while read -r id x y; do
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && echo "$id $x $y"
  done < <(xwininfo -root -tree |
    sed -nE "s/^ *(0x[0-9a-f]+) .* ${EDITOR_WIDTH}x${EDITOR_HEIGHT}[+-][0-9]+[+-][0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+) *\$/\1 \2 \3/p")
}

# editor_place: "X Y", the editor's top left on the screen; wait_editor [SECONDS], until there is
# one (default 30 s).
editor_place()
{
  local id x y
  read -r id x y < <(editor_windows) && [[ -n $id ]] && echo "$x $y"
}
wait_editor() { wait_for "${1:-30}" editor_place; }

# editor_holder: the host's window that holds the editor (the one the window manager frames): of
# the editor's windows, the one in the smallest frame.
editor_holder()
{
  local id x y w h best="" area least=""
  while read -r id x y; do
    read -r _ _ w h < <(frame_box "$id")
    area=$((w * h))
    [[ -n $least && $area -ge $least ]] && continue
    least=$area best=$(ancestors "$id" | tail -n2 | head -n1)
  done < <(editor_windows)
  echo "$best"
}
