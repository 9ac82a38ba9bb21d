# Sourced by the scripts: Debian's JUCE of another Debian release, unpacked beside the build.
# Debian 12 (bookworm) has JUCE 7.0.5, Debian 13 (trixie) 8.0.6.

# juce_package_dir ROOT VERSION: the folder of JUCE's CMake package under ROOT ("" for the
# machine's own), whether or not it is there.
juce_package_dir()
{
  echo "$1/usr/lib/$(gcc -dumpmachine)/cmake/JUCE-$2"
}

# fetch_juce CODENAME VERSION DIR: fetches juce-modules-source and juce-modules-source-data of
# Debian's CODENAME with apt (release_lists) and unpacks them into DIR (no install). The CMake
# package names its own places as they are on a machine it is installed on; they are pointed at
# DIR. Done once: a DIR already made is kept. Prints the package's folder.
fetch_juce()
{
  local codename=$1 version=$2 dir=$3 package deb multiarch
  package=$(juce_package_dir "$dir" "$version")
  multiarch=$(gcc -dumpmachine)
  if [[ ! -f $dir/.unpacked ]]; then
    rm -rf "$dir"
    release_lists "$codename" "$dir/apt"
    (cd "$dir/apt" && apt-get "${release_apt[@]}" download -qq juce-modules-source \
      juce-modules-source-data) >&2
    for deb in "$dir"/apt/juce-modules-source*.deb; do
      dpkg-deb -x "$deb" "$dir"
    done
    if [[ ! -f $package/JUCEConfig.cmake ]]; then
      echo "Debian's $codename has no JUCE $version package" >&2
      return 1
    fi
    sed -i -e "s|\"/usr/share/juce|\"$dir/usr/share/juce|g" \
      -e "s|\"/usr/lib/$multiarch/|\"$dir/usr/lib/$multiarch/|g" "$package"/*.cmake
    echo "Unpacked Debian $codename's JUCE $version into $dir" >&2
    touch "$dir/.unpacked"
  fi
  echo "$package"
}
