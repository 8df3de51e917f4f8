# Sourced: where Debian's wine64 keeps its programs, outside the PATH.
# shellcheck shell=bash disable=SC2034  # for the scripts that source this

WINE=/usr/lib/wine/wine64
WINE_SERVER=/usr/lib/wine/wineserver
