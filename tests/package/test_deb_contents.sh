#!/usr/bin/env bash
# The Debian package as built: lintian finds no error and no warning, the
# desktop entry is valid, every file sits where it belongs (the driver in the
# program's private library folder, nothing in the system's), each icon has
# its folder's size, and the run-time needs nothing links to are dependencies.
#
# Needs CORVANTIS_PACKAGE_DIR (scripts/run-package-tests.sh sets it).
set -euo pipefail
# shellcheck source=../../scripts/lib/outcome.sh
source "$(dirname "$0")/../../scripts/lib/outcome.sh"

deb=$(echo "$CORVANTIS_PACKAGE_DIR"/corvantis_*_amd64.deb)
[ -f "$deb" ] || fail "no Debian package in $CORVANTIS_PACKAGE_DIR"
work=$(mktemp -d /tmp/corvantis-deb-XXXXXX)
trap 'rm -rf "$work"' EXIT

# Information tags are shown, not failed on: today the .comment sections that
# CPack's plain strip leaves (compiler version strings), and the shop schema's
# table INFOMATION read as a misspelling.
lintian --display-info --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

dpkg-deb --extract "$deb" "$work/root"
desktop=$work/root/usr/share/applications/corvantis.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
# What the entry starts and shows must be in the package.
exec_name=$(sed -n 's/^Exec=//p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$work/root/usr/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, which is not in /usr/bin"

triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
expected=(  # mode path
  "755 usr/bin/Corvantis"
  "644 usr/lib/$triplet/corvantis/libdbvfb.so"
  "644 usr/share/applications/corvantis.desktop"
  "644 usr/share/doc/corvantis/README.md"
  "644 usr/share/doc/corvantis/dbvconnections.ini"
  "644 usr/share/doc/corvantis/dbvdrivers.ini"
  "644 usr/share/doc/corvantis/copyright"
  "644 usr/share/doc/corvantis/changelog.gz"
  "644 usr/share/man/man1/Corvantis.1.gz"
)
for size in 16 32 48 64; do expected+=("644 usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png"); done
(cd "$work/root" && find . -type f -printf '%m %P\n' | sort) >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files or their modes differ from the expected layout"

for size in 16 32 48 64; do
  seen=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/$icon_name.png")
  [ "$seen" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $seen"
done

depends=$(dpkg-deb --field "$deb" Depends)
for needed in 'libfbclient2 (>= 3' 'fonts-wqy-microhei' 'libqt6widgets6 ('; do
  [[ ", $depends" == *", $needed"* ]] || fail "Depends lacks $needed: $depends"
done
pass "lintian clean, desktop entry valid, ${#expected[@]} files in place, Depends: $depends"
