#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: packages already present are left alone. Runs as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev
  firebird-dev libfbclient2
  firebird3.0-server firebird3.0-utils
  googletest libgtest-dev
  xvfb xdotool x11-utils imagemagick python3
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-wqy-microhei   # Latin and Traditional Chinese glyphs for the log and dialogs
)

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
