# Sourced by the scripts: windows, the pointer and pictures on the X server that DISPLAY names,
# through xdotool, xwininfo and ImageMagick. Needs processes.sh.

# What a script that drives a program on a private X server needs installed.
# shellcheck disable=SC2034 # read by the scripts that source this
x_tools=(xvfb xauth openbox x11-utils xdotool imagemagick)

shown_windows() { xdotool search --onlyvisible --name '.' 2>/dev/null | sort -u || true; }

# wait_window REGEX [SECONDS]: prints the id of a shown window whose name matches (default 30 s).
wait_window()
{
  wait_for "${2:-30}" shown_window "$1"
}
shown_window()
{
  local id
  id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1 || true)
  [[ -n $id ]] && echo "$id"
}

# window_box WINDOW: "X Y W H", the window's place on the screen and its size.
window_box()
{
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                           /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# ancestors WINDOW: the window and its parents up to the outermost one below the root (the window
# manager's frame), one a line.
ancestors()
{
  local w=$1 parent top
  top=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  echo "$w"
  while parent=$(xwininfo -children -id "$w" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
    [[ -n $parent && $parent != "$top" ]]; do
    w=$parent
    echo "$w"
  done
}

# frame_box WINDOW: the box of the window's outermost frame (the window manager's decoration).
frame_box() { window_box "$(ancestors "$1" | tail -n1)"; }

# picture WINDOW FILE: the window with its frame, cropped from the screen, small, and with no dates
# in the file: a picture retaken unchanged stays the same file.
picture()
{
  local x y w h
  read -r x y w h < <(frame_box "$1")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip PNG24:"$2.tmp.png"
  convert "$2.tmp.png" -strip -define png:compression-level=9 \
    -define png:exclude-chunks=date,time "$2"
  rm -f "$2.tmp.png"
  log "picture $2 (${w}x${h})"
}

# whole_screen FILE: the whole screen, as it is; a picture that cannot be taken is no failure.
whole_screen() { import -window root "$1" 2>/dev/null || true; }

# find_colour FILE X Y W H red|green MIN: "X Y", the middle of the topmost patch of that colour in
# the region, counting only rows with at least MIN pixels of it (thin lines of the colour are not
# a patch).
find_colour()
{
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
    awk -F'[,:() ]+' -v x0="$2" -v y0="$3" -v kind="$6" -v min="$7" '
      NR > 1 {
        r = $3; g = $4; b = $5
        if ((kind == "red" && r > g + 40 && r > 80) || (kind == "green" && g > r + 60 && g > b + 60)) {
          n[$2]++; sx[$2] += $1
        }
      }
      END {
        for (y = 0; y < 10000; y++) if (n[y] >= min) break
        if (y == 10000) exit 1
        for (z = y; z <= y + 12; z++) if (n[z] >= min) { rows++; ty += z; tn += n[z]; tx += sx[z] }
        printf "%d %d\n", x0 + tx / tn, y0 + ty / rows
      }'
}

# drag X0 Y0 X1 Y1 [PAUSE [STEP]]: the left button pressed at one point and let go at the other,
# moving between in twelve steps of STEP seconds (default 0.05), with PAUSE seconds (default 0.3)
# before and after pressing and letting go: a program under an emulator wants them longer.
drag()
{
  local pause=${5:-0.3} step=${6:-0.05} i
  xdotool mousemove "$1" "$2"
  sleep "$pause"
  xdotool mousedown 1
  sleep "$pause"
  for i in $(seq 1 12); do
    xdotool mousemove $(($1 + ($3 - $1) * i / 12)) $(($2 + ($4 - $2) * i / 12))
    sleep "$step"
  done
  sleep "$pause"
  xdotool mouseup 1
  sleep "$pause"
}
