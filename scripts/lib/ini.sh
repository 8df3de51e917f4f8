# Sourced: the program's two INI files and its settings file, made from the
# shipped templates (scripts/templates) as a shop fills them in, for the
# demo, the benchmarks and the tests that point the program at a database and
# a driver of their own.
# shellcheck shell=bash

INI_TEMPLATES=$(cd "$(dirname "${BASH_SOURCE[0]}")/../templates" && pwd)

# ini_fill [KEY=VALUE...]: the INI text on standard input with those keys'
# values replaced; each line keeps its own line end (the templates' are CR LF).
ini_fill() {
  local line pair cr
  while IFS= read -r line || [ -n "$line" ]; do
    cr=
    [[ $line == *$'\r' ]] && cr=$'\r'
    for pair in "$@"; do
      if [[ $line == "${pair%%=*}="* ]]; then line=$pair$cr; break; fi
    done
    printf '%s\n' "$line"
  done
}

# ini_section NAME: the lines of the section [NAME] of the INI text on
# standard input, its heading first, with plain line ends.
ini_section() {
  local line inside=
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    if [[ $line == '['*']' ]]; then
      inside=
      [ "$line" != "[$1]" ] || inside=1
    fi
    [ -z "$inside" ] || printf '%s\n' "$line"
  done
}

# ini_settings FILE CONNECTIONS DRIVERS: the program's settings file, naming
# the two INI files.
ini_settings() {
  mkdir -p "$(dirname "$1")"
  printf '[Dbvance]\nConnection Registry File=%s\nDriver Registry File=%s\n' "$2" "$3" >"$1"
}

# ini_configure DIR LIBRARY [KEY=VALUE...]: in DIR the connection file (the
# template's [Quintara] with those keys' values), the driver file ([Firebird]
# with LibraryName=LIBRARY) and, under DIR/config, the settings file naming
# both, which the program reads with XDG_CONFIG_HOME=DIR/config.
ini_configure() {
  local dir=$1 library=$2
  shift 2
  ini_section Quintara <"$INI_TEMPLATES/dbvconnections.ini" | ini_fill "$@" >"$dir/dbvconnections.ini"
  ini_section Firebird <"$INI_TEMPLATES/dbvdrivers.ini" | ini_fill "LibraryName=$library" >"$dir/dbvdrivers.ini"
  ini_settings "$dir/config/Aldmark/Dbvance.conf" "$dir/dbvconnections.ini" "$dir/dbvdrivers.ini"
}
