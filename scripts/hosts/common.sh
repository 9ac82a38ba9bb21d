# Sourced by the scripts that drive a host as a musician would (scripts/host-screenshots,
# scripts/real-hosts/lmms), with one file per host beside this one. A host's file defines, for the
# host HOST (ardour, qtractor, muse, lmms):
#   HOST_install          installs the host when it is missing
#   HOST_home             configures it in $HOME (a home of its own), so that it asks nothing at
#                         its first start
#   HOST_project          makes a project with Lampwick in it, through the host's own means where
#                         it has them, and sets $host_project to its file
#   HOST_open             opens $host_project, and sets $host_window to the host's main window
#   HOST_editor           opens Lampwick's editor in the open project; fails when none shows
#   HOST_quit             asks the host to quit, as its menu or key does
#   HOST_discard WINDOW   answers the host's question about saving: do not save
# They keep the host's logs in $host_dir and its process in $host_pid. Each host's file sources
# this one; it is read once.
[[ -z ${hosts_common_read:-} ]] || return 0
hosts_common_read=yes

project_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/processes.sh
source "$project_root/scripts/lib/processes.sh"
# shellcheck source=scripts/lib/packages.sh
source "$project_root/scripts/lib/packages.sh"
# shellcheck source=scripts/lib/x-server.sh
source "$project_root/scripts/lib/x-server.sh"
# shellcheck source=scripts/lib/x-windows.sh
source "$project_root/scripts/lib/x-windows.sh"
# shellcheck source=scripts/lib/editor.sh
source "$project_root/scripts/lib/editor.sh"
# shellcheck source=scripts/lib/wine.sh
source "$project_root/scripts/lib/wine.sh"

# shellcheck disable=SC2034 # host_window is for the host files only
host_dir="" host_pid="" host_window="" host_project=""

# stop_host: stops the host if it still runs.
stop_host()
{
  stop_process "$host_pid"
  host_pid=""
}
host_alive() { [[ -n $host_pid ]] && process_alive "$host_pid"; }

# place_main_window X Y W H: the host's main window raised, at X Y in the size W x H, where the
# pictures and the clicks expect it.
place_main_window()
{
  xdotool windowactivate --sync "$host_window" windowmove "$host_window" "$1" "$2" \
    windowsize "$host_window" "$3" "$4"
  sleep 1
}

# file_menu KEY: the item of the main window's File menu that KEY chooses, for hosts that bind no
# key of their own to it.
file_menu()
{
  xdotool windowactivate --sync "$host_window" key alt+f
  sleep 0.4
  xdotool key "$1"
}

# The question of Qt hosts (Qtractor, LMMS) offers Save, Discard and Cancel, with Save focused.
discard_in_qt_question() { xdotool windowactivate --sync "$1" key Tab space; }

# keep_saved_project HOST FOLDER NAME: sets $host_project to the file NAME that the host has saved
# below FOLDER, and quits the host; without one, keeps a picture of the screen and fails.
keep_saved_project()
{
  host_project=$(find "$2" -name "$3" | head -n1)
  if [[ -z $host_project ]]; then
    whole_screen "$host_dir/not-saved.png"
    log "$1 did not save"
    return 1
  fi
  "${1}_quit"
  wait_for 15 process_ended "$host_pid" || true
  stop_host
}
