# Sourced by the scripts: wine for one architecture, in a prefix that is made once.

# use_wine win32|win64 PREFIX: what wine reads, for the programs this script starts: the loader of
# that architecture, the prefix, no debugging output, no offer to install Mono or Gecko.
use_wine()
{
  export WINEARCH=$1 WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ $1 == win32 ]]; then
    export WINELOADER=/usr/lib/wine/wine
  else
    export WINELOADER=/usr/lib/wine/wine64
  fi
}

# wine32_runs: whether 32-bit wine starts here. A machine that cannot run 32-bit x86 programs
# needs the emulator that scripts/install-deps-windows sets up.
wine32_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# wine_prefix_made: whether the prefix is there, whole.
wine_prefix_made() { [[ -f $WINEPREFIX/.made ]]; }

# make_wine_prefix: makes the prefix that use_wine chose, once, by whichever script sharing it comes
# first (it takes about a minute); one left half made is made again.
make_wine_prefix()
{
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    wine_prefix_made && exit 0
    rm -rf "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 && wineserver -w && touch "$WINEPREFIX/.made"
  ) 9>"$WINEPREFIX.lock"
}

# stop_wine: ends every program in the prefix, and its server.
stop_wine() { wineserver -k 2>/dev/null || true; }
