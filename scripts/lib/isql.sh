# Sourced: isql-fb as the scripts and tests run it, on a database file or a
# server's connection string, as CORVANTIS_FB_USER (SYSDBA) with
# CORVANTIS_FB_PASSWORD (masterkey). The statements always come from a file:
# isql-fb drops bytes above 0x7F that come through a pipe.
# shellcheck shell=bash

# isql_output DATABASE FILE [OPTION...]: everything isql-fb prints for the
# file's statements, its errors among it, without blank lines or trailing
# blanks; the status is isql-fb's.
isql_output() {
  local database=$1 file=$2 out status=0
  shift 2
  out=$(isql-fb -q "$@" -user "${CORVANTIS_FB_USER:-SYSDBA}" -password "${CORVANTIS_FB_PASSWORD:-masterkey}" \
    "$database" -i "$file" 2>&1) || status=$?
  sed -e 's/[[:space:]]*$//' -e '/^$/d' <<<"$out"
  return "$status"
}

# isql_rows DATABASE FILE: the rows of the file's statements, which stop at
# the first that fails; isql-fb's output then goes to standard error instead,
# and the status is 1.
isql_rows() {
  local out
  out=$(isql_output "$1" "$2" -bail) || { printf '%s\n' "$out" >&2; return 1; }
  [ -z "$out" ] || printf '%s\n' "$out"
}

# isql_drop DATABASE: drops the database; fails when there is none to drop.
isql_drop() {
  local sql status=0
  sql=$(mktemp)
  printf 'DROP DATABASE;\n' >"$sql"
  isql_output "$1" "$sql" >/dev/null || status=$?
  rm -f "$sql"
  return "$status"
}
