# Sourced by the scripts: Debian's JUCE of another Debian release, unpacked beside the build.
# Debian 12 (bookworm) has JUCE 7.0.5, Debian 13 (trixie) 8.0.6.

# juce_package_dir ROOT VERSION: the folder of JUCE's CMake package under ROOT ("" for the
# machine's own), whether or not it is there.
juce_package_dir()
{
  echo "$1/usr/lib/$(gcc -dumpmachine)/cmake/JUCE-$2"
}

# fetch_juce SUITE VERSION DIR: fetches juce-modules-source and juce-modules-source-data of Debian's
# SUITE with apt, through package lists of their own that leave the machine's sources alone, and
# unpacks them into DIR (no install). The CMake package names its own places as they are on a
# machine it is installed on; they are pointed at DIR. Done once: a DIR already made is kept.
# Prints the package's folder.
fetch_juce()
{
  local suite=$1 version=$2 dir=$3
  local apt_dir=$dir/apt package
  package=$(juce_package_dir "$dir" "$version")
  if [[ ! -f $dir/.unpacked ]]; then
    rm -rf "$dir"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(debian_mirror) $suite main" \
      >"$apt_dir/sources.list"
    local options=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
      -o APT::Architectures="$(dpkg --print-architecture)")
    apt-get "${options[@]}" update -qq >&2
    (cd "$apt_dir" && apt-get "${options[@]}" download -qq juce-modules-source juce-modules-source-data) >&2
    local deb
    for deb in "$apt_dir"/juce-modules-source*.deb; do
      dpkg-deb -x "$deb" "$dir"
    done
    if [[ ! -f $package/JUCEConfig.cmake ]]; then
      echo "Debian's $suite has no JUCE $version package" >&2
      return 1
    fi
    sed -i -e "s|\"/usr/share/juce|\"$dir/usr/share/juce|g" \
      -e "s|\"/usr/lib/$(gcc -dumpmachine)/|\"$dir/usr/lib/$(gcc -dumpmachine)/|g" "$package"/*.cmake
    echo "Unpacked Debian $suite's JUCE $version into $dir" >&2
    touch "$dir/.unpacked"
  fi
  echo "$package"
}
