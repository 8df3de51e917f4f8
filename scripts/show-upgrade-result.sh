#!/usr/bin/env bash
# Reads a database's schema and bill kinds back with isql-fb, so that what an
# upgrade run changed can be shown and compared.
#
# usage: show-upgrade-result.sh snapshot DATABASE FILE
#          writes one line per table, column (type, width, NOT NULL), primary
#          key and index, sorted, then one line per table with a BILL_KIND
#          column: its row count and how many rows hold the bill kind 一般
#        show-upgrade-result.sh report BEFORE AFTER
#          prints what changed between two snapshots
# DATABASE is a bare path (embedded engine) or a server connection string.
# Environment: CORVANTIS_FB_USER (SYSDBA), CORVANTIS_FB_PASSWORD (masterkey).
set -euo pipefail

usage() { sed -n '5,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
# shellcheck source=lib/isql.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/isql.sh"

catalogue_sql() {
  cat <<'EOF'
SET HEADING OFF;
SELECT 'TABLE ' || TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS
  WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL;
SELECT 'COLUMN ' || TRIM(RF.RDB$RELATION_NAME) || '.' || TRIM(RF.RDB$FIELD_NAME) || ' ' ||
    CASE F.RDB$FIELD_TYPE
      WHEN 37 THEN 'VARCHAR(' || F.RDB$FIELD_LENGTH || ')'
      WHEN 14 THEN 'CHAR(' || F.RDB$FIELD_LENGTH || ')'
      WHEN 27 THEN 'DOUBLE PRECISION'
      WHEN 10 THEN 'FLOAT'
      WHEN 7 THEN 'SMALLINT'
      WHEN 8 THEN 'INTEGER'
      WHEN 16 THEN 'BIGINT'
      WHEN 12 THEN 'DATE'
      WHEN 13 THEN 'TIME'
      WHEN 35 THEN 'TIMESTAMP'
      WHEN 261 THEN 'BLOB'
      ELSE 'TYPE ' || F.RDB$FIELD_TYPE
    END ||
    CASE WHEN RF.RDB$NULL_FLAG = 1 THEN ' NOT NULL' ELSE CAST('' AS VARCHAR(1)) END ||
    ' @' || RF.RDB$FIELD_POSITION
  FROM RDB$RELATION_FIELDS RF
  JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE
  JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME
  WHERE R.RDB$SYSTEM_FLAG = 0 AND R.RDB$VIEW_BLR IS NULL;
SELECT CASE WHEN C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' THEN 'PRIMARY KEY ' || TRIM(I.RDB$RELATION_NAME)
            ELSE 'INDEX ' || TRIM(I.RDB$INDEX_NAME) || ' ON ' || TRIM(I.RDB$RELATION_NAME) END ||
    ' (' || (SELECT CAST(LIST(TRIM(S.RDB$FIELD_NAME), ',') AS VARCHAR(500)) FROM
               (SELECT RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS
                 WHERE RDB$INDEX_NAME = I.RDB$INDEX_NAME ORDER BY RDB$FIELD_POSITION) S) || ')' ||
    CASE WHEN I.RDB$UNIQUE_FLAG = 1 AND C.RDB$CONSTRAINT_TYPE IS NULL THEN ' UNIQUE' ELSE CAST('' AS VARCHAR(1)) END
  FROM RDB$INDICES I
  LEFT JOIN RDB$RELATION_CONSTRAINTS C ON C.RDB$INDEX_NAME = I.RDB$INDEX_NAME
  WHERE COALESCE(I.RDB$SYSTEM_FLAG, 0) = 0;
EOF
}

snapshot() {  # snapshot DATABASE FILE
  local database=$1 file=$2 work
  work=$(mktemp -d)
  catalogue_sql >"$work/catalogue.sql"
  isql_rows "$database" "$work/catalogue.sql" | LC_ALL=C sort >"$work/catalogue.txt"
  # Bill kinds are read as octets, which isql-fb prints as hex: A440AFEB is 一般 in Big5.
  {
    echo "SET HEADING OFF;"
    sed -n 's/^COLUMN \([A-Z0-9_$]*\)\.BILL_KIND .*/\1/p' "$work/catalogue.txt" | while read -r table; do
      echo "SELECT 'ROWS $table ' || COUNT(*) || ' ' || SUM(CASE WHEN CAST(BILL_KIND AS VARCHAR(10) CHARACTER SET OCTETS) = x'A440AFEB' THEN 1 ELSE 0 END) FROM $table;"
    done
  } >"$work/rows.sql"
  { cat "$work/catalogue.txt"; isql_rows "$database" "$work/rows.sql"; } >"$file"
  rm -rf "$work"
}

general=$(printf '\xA4\x40\xAF\xEB' | iconv -f CP950 -t UTF-8)  # 一般 for the terminal

report() {  # report BEFORE AFTER
  local before=$1 after=$2
  if cmp -s "$before" "$after"; then echo "Nothing changed."; return; fi
  # Lines only in AFTER, then the report built from them: new tables with their
  # columns in position order, columns added to existing tables, keys and
  # indexes, and the rows that now hold the general bill kind.
  LC_ALL=C comm -13 <(LC_ALL=C sort "$before") <(LC_ALL=C sort "$after") |
    awk -v general="$general" -v before="$before" '
      BEGIN { while ((getline line < before) > 0) { split(line, f, " "); if (f[1] == "TABLE") old[f[2]] = 1;
                                                     if (f[1] == "ROWS") earlier[f[2]] = f[4] } }
      $1 == "TABLE" { created[++tables] = $2; next }
      $1 == "COLUMN" {
        split($2, name, "."); type = $0; sub(/^COLUMN [^ ]* /, "", type)
        position = type; sub(/.* @/, "", position); sub(/ @[0-9]+$/, "", type)
        if (name[1] in old) added[++columns] = "  " $2 " " type
        else cols[name[1], position] = name[2] " " type
        next
      }
      $1 == "PRIMARY" || $1 == "INDEX" { keys[++nkeys] = "  " $0; next }
      $1 == "ROWS" { rows[++nrows] = sprintf("  %-14s %7d of %7d rows", $2, $4 - earlier[$2], $3) }
      END {
        print "Tables created:"
        for (t = 1; t <= tables; ++t) {
          line = "  " created[t] " ("
          for (p = 0; (created[t], p) in cols; ++p) {
            item = cols[created[t], p] ((created[t], p + 1) in cols ? "," : ")")
            if (p && length(line) + length(item) > 95) { print line; line = "      " }
            line = line (line ~ /[( ]$/ ? "" : " ") item
          }
          print line
        }
        print "Columns added:"; for (i = 1; i <= columns; ++i) print added[i]
        print "Primary keys and indexes created:"; for (i = 1; i <= nkeys; ++i) print keys[i]
        print "Rows given the bill kind " general " (Big5 A4 40 AF EB):"
        for (i = 1; i <= nrows; ++i) print rows[i]
      }'
}

case ${1:-} in
  snapshot) [ $# -eq 3 ] || usage; snapshot "$2" "$3" ;;
  report) [ $# -eq 3 ] || usage; report "$2" "$3" ;;
  *) usage ;;
esac
