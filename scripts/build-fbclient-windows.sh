#!/usr/bin/env bash
# Firebird's client library for 64-bit Windows, fbclient.dll, for the Windows
# program's tests under Wine only (never shipped: a shop installs Firebird's
# own client). Built with mingw-w64 from Debian's firebird3.0 source package,
# the version of the installed server, and libtommath's, taken at build time.
#
# The result is kept in a cache folder keyed by the source version, so a
# machine builds it once: $CORVANTIS_FBCLIENT_CACHE (default
# /var/cache/corvantis/fbclient-windows)/<version>/fbclient.dll. Prints that
# path; what it does goes to the standard error. Runs as root when something
# must be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh fbclient >&2

firebird_version=$(dpkg-query -W -f='${source:Version}' firebird3.0-server)
tommath_version=$(dpkg-query -W -f='${source:Version}' libtommath1)
cache=${CORVANTIS_FBCLIENT_CACHE:-/var/cache/corvantis/fbclient-windows}/$firebird_version
if [ -f "$cache/fbclient.dll" ]; then
  echo "$cache/fbclient.dll"
  exit 0
fi

# Only the path goes to the standard output.
exec 3>&1 1>&2
work=$(mktemp -d /tmp/corvantis-fbclient-XXXXXX)
trap 'rm -rf "$work"' EXIT
started=$SECONDS
step() { echo "fbclient.dll: $* ($((SECONDS - started)) s)"; }

# Debian's mingw-w64 may install both thread models, and the plain names then
# lead to the win32 one: the posix compilers by their own names.
export CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix
host=x86_64-w64-mingw32

# The sources through an apt configuration of this build's own: an update
# with a list of deb-src lines only would wipe the machine's binary indexes.
step "fetching the sources of firebird3.0 $firebird_version and libtommath $tommath_version"
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/src"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update -qq
(cd "$work/src" && apt-get "${apt_options[@]}" source -qq --download-only \
  "firebird3.0=$firebird_version" "libtommath=$tommath_version")
# dpkg-source applies Debian's own patch series.
fb=$work/src/firebird
tm=$work/src/libtommath
# (apt-get checked the files against the signed indexes; dpkg-source has no keyring to check them again.)
dpkg-source -x "$work/src/firebird3.0_${firebird_version#*:}.dsc" "$fb" >"$work/unpack.log" 2>&1 &&
  dpkg-source -x "$work/src/libtommath_${tommath_version#*:}.dsc" "$tm" >>"$work/unpack.log" 2>&1 ||
  { cat "$work/unpack.log"; exit 1; }
patch -d "$fb" -p1 --quiet <"$root/scripts/fbclient-windows.patch"

step "building libtommath"
mkdir -p "$work/tommath"
(cd "$tm" && ls bn_*.c) | xargs -P 2 -I{} "$CC" -O2 -I"$tm" -c "$tm/{}" -o "$work/tommath/{}.o"
"$host-ar" rcs "$work/libtommath.a" "$work/tommath"/*.o

# configure only writes the config header. The cache values answer what a
# cross build cannot find out; ICU's and boost's headers come from the host
# (headers only), staged on their own so the cross compiler sees no others.
step "configure"
stage=$work/stage
mkdir -p "$stage"
ln -s /usr/include/unicode "$stage/unicode"
ln -s /usr/include/boost "$stage/boost"
# Windows headers named with capitals, which mingw-w64's lower-case names
# stand for (a case-sensitive file system finds no WinSock2.h).
mingw_include=/usr/$host/include
for header in $(grep -rhoE '#include\s*<[A-Za-z0-9_]*[A-Z][A-Za-z0-9_]*\.h>' "$fb/src" | sed 's/.*<\(.*\)>/\1/' | sort -u); do
  if [ -f "$mingw_include/${header,,}" ]; then ln -s "$mingw_include/${header,,}" "$stage/$header"; fi
done
(cd "$fb" && NOCONFIGURE=1 ./autogen.sh >"$work/autogen.log" 2>&1 &&
  CPPFLAGS="-I$stage -I$tm" ./configure --host=$host ac_cv_file__proc_self_maps=no \
    ac_cv_lib_icuuc_main=yes ac_cv_lib_tommath_mp_init=yes >"$work/configure.log" 2>&1) ||
  { tail -20 "$work/configure.log"; exit 1; }
# What Firebird's own Windows header sets differently: Win32 threads rather
# than winpthreads, paths compared without case, the Windows IPC name.
sed -e 's|^#define \(HAVE_PTHREAD[A-Z_]*\) 1$|/* #undef \1 */|' \
  -e 's|^#define CASE_SENSITIVITY true$|#define CASE_SENSITIVITY false|' \
  -e 's|^#define FB_IPC_NAME .*|#define FB_IPC_NAME "FIREBIRD"|' \
  "$fb/src/include/gen/autoconfig.auto" >"$fb/src/include/gen/autoconfig.h"

# What Debian's repack leaves out is generated natively: the interface header
# with cloop, the parser's token header with btyacc, yvalve's two .epp files
# with Debian's gpre against a metadata database of the embedded engine.
step "generating the headers and the preprocessed sources"
gen=$work/gen
mkdir -p "$gen/lock" "$gen/epp"
make -s -C "$fb/extern/btyacc" CC=gcc >"$work/btyacc.log" 2>&1
make -s -C "$fb/extern/cloop" CC=gcc CXX=g++ TARGET=release WITH_FPC=0 BUILD_DIR="$gen/cloop-obj" \
  OUT_DIR="$gen/cloop" >"$work/cloop.log" 2>&1
"$gen/cloop/release/bin/cloop" "$fb/src/include/firebird/FirebirdInterface.idl" c++ \
  "$fb/src/include/firebird/IdlFbInterfaces.h" IDL_FB_INTERFACES_H Firebird I
# The grammar's %type lines go to the file its body includes, as Firebird's makefile does.
sed -n '/%type .*/p' "$fb/src/dsql/parse.y" >"$gen/types.y"
sed 's/%type .*//' "$fb/src/dsql/parse.y" >"$gen/y.y"
(cd "$gen" && "$fb/extern/btyacc/btyacc" -l -d -S "$fb/src/dsql/btyacc_fb.ske" y.y >"$work/parse.log" 2>&1) ||
  { cat "$work/parse.log"; exit 1; }
mv "$gen/y_tab.h" "$fb/src/include/gen/parse.h"
export FIREBIRD_LOCK=$gen/lock
echo "create database '$gen/epp/yachts.lnk';" | isql-fb -q -user SYSDBA
for epp in array blob; do
  gpre -m -z -n -b "$gen/epp/" "$fb/src/yvalve/$epp.epp" "$gen/$epp.cpp" >/dev/null
done

# The file set of Firebird's own yvalve target: common, yvalve, remote with
# its Windows parts, the remote client, the client authentications, Arc4.
step "compiling the client"
s=$fb/src
sources=(
  "$s"/common/*.cpp "$s"/common/classes/*.cpp "$s"/common/config/*.cpp "$s"/common/os/win32/*.cpp
  "$s"/common/sha2/*.cpp
  "$s"/yvalve/*.cpp "$s"/yvalve/config/os/win32/*.cpp "$gen/array.cpp" "$gen/blob.cpp"
  "$s"/jrd/os/win32/ibinitdll.cpp
  "$s"/remote/{merge,parser,protocol,remote,inet}.cpp "$s"/remote/os/win32/{wnet,xnet}.cpp
  "$s"/remote/client/{BlrFromMessage,interface}.cpp
  "$s"/auth/SecureRemotePassword/srp.cpp "$s"/auth/SecureRemotePassword/client/SrpClient.cpp
  "$s"/auth/SecurityDatabase/LegacyClient.cpp "$s"/auth/trusted/AuthSspi.cpp
  "$s"/plugins/crypt/arc4/Arc4.cpp
)
objects=$work/objects
mkdir -p "$objects"
export CXXFLAGS="-O2 -DMINGW -DAMD64 -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0600 -std=gnu++03 -fno-rtti -mthreads
  -w -I$s/include -I$s/include/gen -I$stage -I$tm"
compile() {  # compile SOURCE WORK: one object, named by its path below the folder WORK
  local name=${1#"$2/"} extra=
  # Firebird's own build gives the CRC32C intrinsics their instruction set on this file only.
  case $name in */CRC32C.cpp) extra=-msse4 ;; esac
  # shellcheck disable=SC2086
  "$CXX" $CXXFLAGS $extra -c "$1" -o "$objects/${name//\//_}.o" 2>"$objects/${name//\//_}.log" ||
    { echo "compiling $name failed:"; cat "$objects/${name//\//_}.log"; return 1; }
}
export -f compile
export objects
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} bash -c 'compile "$1" "$2"' _ {} "$work"

step "linking"
"$CXX" -shared -mthreads -static -o "$work/fbclient.dll" "$objects"/*.o "$fb/builds/win32/defs/firebird.def" \
  "$work/libtommath.a" -lws2_32 -lmpr -lole32 -ladvapi32 -lshell32 -luser32 -lpsapi

mkdir -p "$cache"
cp "$work/fbclient.dll" "$cache/fbclient.dll.part"
mv "$cache/fbclient.dll.part" "$cache/fbclient.dll"
step "built, $(stat -c %s "$cache/fbclient.dll") bytes"
echo "$cache/fbclient.dll" >&3
