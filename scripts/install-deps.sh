#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: packages already present are left alone. Runs as root.
#   install-deps.sh           all of them: the Linux build and its tests, the Windows build, the packages
#   install-deps.sh windows   only what the Windows cross build and its tests under Wine need
#   install-deps.sh fbclient  only what building the Windows Firebird client for those tests needs
set -euo pipefail

linux_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev
  firebird-dev libfbclient2
  firebird3.0-server firebird3.0-utils
  googletest libgtest-dev
  xvfb xdotool x11-utils imagemagick python3
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-wqy-microhei   # Latin and Traditional Chinese glyphs for the log and dialogs
)
windows_packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix   # the cross compiler (posix threads), with mingw-w64's headers and binutils
  firebird-dev                 # Firebird's public headers, copied into the Windows build
  googletest                   # GoogleTest's sources, built by the cross compiler
  wine64 xvfb                  # the Windows tests run under Wine on a private display
  fonts-wqy-microhei           # the Chinese font the prefix links its dialog fonts to
  imagemagick                  # screenshots of the Windows program
)
fbclient_packages=(
  build-essential dpkg-dev     # cloop and btyacc, built natively; dpkg-source unpacks the sources
  autoconf automake libtool    # configure, made by autoreconf, writes the config header
  g++-mingw-w64-x86-64-posix   # the cross compiler
  libboost-dev libicu-dev      # headers only: boost's, and ICU's (the client loads ICU at run time)
  libz-mingw-w64-dev           # zlib for the wire compression, built for Windows
  firebird3.0-server firebird3.0-utils  # gpre and the embedded isql-fb for yvalve's two .epp files
)
package_packages=(
  dpkg-dev                     # dpkg-shlibdeps and dpkg-buildflags, for the Debian package
  lintian desktop-file-utils   # checking the Debian package and its desktop entry
  fontconfig                   # fc-list: which package holds the log's Chinese font
)

case "${1:-all}" in
  all) packages=("${linux_packages[@]}" "${windows_packages[@]}" "${fbclient_packages[@]}" "${package_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  fbclient) packages=("${fbclient_packages[@]}") ;;
  *) echo "usage: $0 [windows|fbclient]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
# The server package asks for a SYSDBA password; the test scripts set their own.
echo "firebird3.0-server shared/firebird/enabled boolean false" | debconf-set-selections 2>/dev/null || true
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
