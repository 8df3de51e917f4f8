#!/usr/bin/env bash
# The Debian package installed for real: its dependencies come from Debian's
# archive, the installed /usr/bin/Corvantis, set up as the README tells a
# shop (copies of the shipped templates named by the user's settings file),
# upgrades a sample database on the test server under Xvfb with exit 0 and
# leaves the same catalogue as the build's own program; then removing and
# purging the package leaves nothing of it behind, and the user's files stay.
#
# Runs as root. Needs CORVANTIS_PACKAGE_DIR and CORVANTIS_PACKAGE_BUILD_DIR
# (scripts/run-package-tests.sh sets both) and the Firebird test server.
CORVANTIS_BIN_DIR=$CORVANTIS_PACKAGE_BUILD_DIR/bin
source "$(dirname "$0")/../support/upgrade-e2e.sh"
require_server
[ "$(id -u)" = 0 ] || fail "installing a package needs root"
dpkg-query -W -f='${Status}' corvantis 2>/dev/null | grep -q "installed" &&
  fail "corvantis is installed already; this test installs and removes its own"
deb=$(echo "$CORVANTIS_PACKAGE_DIR"/corvantis_*_amd64.deb)
[ -f "$deb" ] || fail "no Debian package in $CORVANTIS_PACKAGE_DIR"

installed=
package_cleanup() {
  if [ -n "$installed" ]; then dpkg --purge corvantis >/dev/null 2>&1 || true; fi
  e2e_cleanup
}
trap package_cleanup EXIT

# Where a package puts files, and dpkg's own record of them. Caches that the
# icon theme's, desktop database's and manual's triggers rebuild change
# content only.
system_files() { find /usr /etc /opt /var/lib/dpkg/info -xdev 2>/dev/null | sort; }

# Every dependency is in Debian's archive, not only on this machine; what is
# missing is installed from there, as `apt-get -f install` would.
depends=$(dpkg-deb --field "$deb" Depends)
compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null || apt-get update -qq
IFS=, read -ra needs <<<"$depends"
for need in "${needs[@]}"; do
  name=$(awk '{print $1}' <<<"$need")
  [ -n "$(apt-cache madison "$name")" ] || fail "the dependency $name is in no archive apt knows"
done
DEBIAN_FRONTEND=noninteractive apt-get satisfy -y -qq --no-install-recommends "$depends" >"$E2E_DIR/apt.log" 2>&1 ||
  fail "the dependencies do not resolve: $(cat "$E2E_DIR/apt.log")"

system_files >"$E2E_DIR/before"
installed=yes
dpkg --install "$deb" >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg --install failed: $(cat "$E2E_DIR/dpkg.log")"
dpkg-query --listfiles corvantis >"$E2E_DIR/package-files"

start_xvfb
export QT_QPA_PLATFORM=xcb
unset LD_LIBRARY_PATH

# The build's own program on one fresh sample database...
sample_db built_db package_built full
configure "$built_db"
start_program
wait_exit 60 || fail "the build's Corvantis was still running 60 s after its start"
[ "$PROGRAM_STATUS" = 0 ] || fail "the build's Corvantis: exit status $PROGRAM_STATUS"
snapshot "$built_db" "$E2E_DIR/built"

# ...and the installed one on another, through a user's settings file naming
# copies of the shipped templates (driver by its bare name, libdbvfb.so).
sample_db installed_db package_installed full
home=$E2E_DIR/home
mkdir -p "$home/corvantis"
cp /usr/share/doc/corvantis/dbvdrivers.ini "$home/corvantis/"
ini_fill "Database=$installed_db" "User_Name=$CORVANTIS_FB_USER" "Password=$CORVANTIS_FB_PASSWORD" \
  </usr/share/doc/corvantis/dbvconnections.ini >"$home/corvantis/dbvconnections.ini"
ini_settings "$home/.config/Aldmark/Dbvance.conf" "$home/corvantis/dbvconnections.ini" "$home/corvantis/dbvdrivers.ini"
find "$home" -type f -exec md5sum {} + | sort >"$E2E_DIR/user-files"
snapshot "$installed_db" "$E2E_DIR/pre-upgrade"
HOME=$home XDG_CONFIG_HOME= /usr/bin/Corvantis >"$E2E_DIR/program.log" 2>&1 &
PROGRAM_PID=$!
wait_exit 60 || fail "the installed Corvantis was still running 60 s after its start"
[ "$PROGRAM_STATUS" = 0 ] || fail "the installed Corvantis: exit status $PROGRAM_STATUS"
snapshot "$installed_db" "$E2E_DIR/installed"
diff -u "$E2E_DIR/built" "$E2E_DIR/installed" || fail "the installed program left another catalogue than the build's"
! cmp -s "$E2E_DIR/pre-upgrade" "$E2E_DIR/installed" || fail "the installed program changed nothing"

dpkg --remove corvantis >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg --remove failed: $(cat "$E2E_DIR/dpkg.log")"
while read -r path; do
  if [ -e "$path" ] && [ ! -d "$path" ]; then fail "$path is left after dpkg --remove"; fi
done <"$E2E_DIR/package-files"
dpkg --purge corvantis >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg --purge failed: $(cat "$E2E_DIR/dpkg.log")"
installed=
system_files >"$E2E_DIR/after"
diff -u "$E2E_DIR/before" "$E2E_DIR/after" || fail "installing and purging the package changed the file system"
find "$home" -type f -exec md5sum {} + | sort | diff -u "$E2E_DIR/user-files" - ||
  fail "the user's own files changed"
pass "installed from the archive, upgraded like the build's program, purged without a trace; the user's files stay"
