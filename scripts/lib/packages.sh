# Sourced by the scripts: Debian packages, installed when missing.

# as_root COMMAND [ARGS...]: runs the command as root, directly or through sudo.
as_root()
{
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "This needs root, and neither root nor sudo is available: $*" >&2
    return 1
  fi
}

# apt_update: reads the package lists, once per script, and again after sources_changed (a source
# or an architecture added).
package_lists_read=""
apt_update()
{
  [[ -n $package_lists_read ]] && return 0
  as_root apt-get update -qq
  package_lists_read=yes
}
sources_changed() { package_lists_read=""; }

# add_i386: lets the package manager take i386 packages; their names mean nothing before.
add_i386()
{
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  as_root dpkg --add-architecture i386
  sources_changed
}

# missing_packages PACKAGE...: prints those that are not installed, one a line.
missing_packages()
{
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# install_missing PACKAGE...: installs those that are not installed; a name NAME:i386 adds the i386
# architecture first. sudo clears the environment, so the front end is set behind it.
install_missing()
{
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [[ ${#missing[@]} -gt 0 ]] || return 0
  [[ " ${missing[*]}" != *:i386* ]] || add_i386
  echo "Installing: ${missing[*]}"
  apt_update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# debian_mirror: the Debian archive that the machine's sources name, or Debian's own.
debian_mirror()
{
  local uri
  for uri in $(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null) \
             $(sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) .*/\2/p' \
                 /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null); do
    if [[ $uri =~ /debian/?$ ]]; then
      echo "${uri%/}"
      return
    fi
  done
  echo http://deb.debian.org/debian
}

# release_lists CODENAME DIR: reads the package lists of Debian's CODENAME (binaries and sources,
# with its point updates and security fixes) into DIR, through sources of their own that leave the
# machine's alone, and sets release_apt to the options that make apt-get and apt-cache use them.
release_lists()
{
  local codename=$1 dir=$2 type mirror key=/usr/share/keyrings/debian-archive-keyring.gpg
  mirror=$(debian_mirror)
  mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
  for type in deb deb-src; do
    echo "$type [signed-by=$key] $mirror $codename main"
    echo "$type [signed-by=$key] $mirror $codename-updates main"
    echo "$type [signed-by=$key] http://deb.debian.org/debian-security $codename-security main"
  done >"$dir/sources.list"
  # With no packages taken as installed, so that the machine's own versions are not the candidates.
  release_apt=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" -o Dir::State::status=/dev/null
    -o APT::Architectures="$(dpkg --print-architecture)")
  apt-get "${release_apt[@]}" update -qq >&2
}
