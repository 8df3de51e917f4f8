#!/usr/bin/env bash
# Creates a sample point-of-sale database as it stands before this release's
# upgrade: every table the upgrade visits, with columns and rows of its own,
# UPDATE_HIST from the previous upgrade, none of the upgrade's columns or tables.
#
# usage: make-sample-db.sh [-r ROWS] [-v VARIANT] TARGET
#   TARGET   a bare file path (embedded engine, no server needed) or a server
#            connection string such as 127.0.0.1/3051:/tmp/corvantis-fb/x.fdb;
#            a database already there is dropped first
#   -r ROWS  rows per table (default 20); the rows are made inside the server
#   -v VARIANT[,VARIANT...]   (may also be given more than once)
#            full                the pre-upgrade database (default)
#            no-update-hist      without the previous upgrade's UPDATE_HIST
#            no-buybill-master   without BUYBILL_MASTER
#            no-optional-tables  without INSTORAGE_SUBTEMP, MCH_ITEM and PUB_PARAM
#            upgraded            as the upgrade leaves it: its columns, tables and
#                                indexes present, every BILL_KIND filled in
# Environment: CORVANTIS_FB_USER (SYSDBA), CORVANTIS_FB_PASSWORD (masterkey).
set -euo pipefail

usage() { sed -n '6,17p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
# shellcheck source=lib/isql.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/isql.sh"

rows=20
variants=()
while getopts "r:v:h" opt; do
  case $opt in
    r) rows=$OPTARG ;;
    v) IFS=, read -ra more <<<"$OPTARG"; variants+=("${more[@]}") ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || usage
target=$1
[[ $rows =~ ^[0-9]+$ ]] || { echo "make-sample-db: rows must be a number: $rows" >&2; exit 2; }
[ ${#variants[@]} -gt 0 ] || variants=(full)
for v in "${variants[@]}"; do
  case $v in
    full | no-update-hist | no-buybill-master | no-optional-tables | upgraded) ;;
    *) echo "make-sample-db: unknown variant: $v" >&2; exit 2 ;;
  esac
done
variant=" ${variants[*]} "  # each name between blanks, for the membership tests below

user=${CORVANTIS_FB_USER:-SYSDBA}
password=${CORVANTIS_FB_PASSWORD:-masterkey}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A bare path is the embedded engine; "host:path" or "host/port:path" is a server.
if [[ $target == *:* ]]; then
  isql_drop "$target" || true  # nothing to drop is fine
else
  mkdir -p "$(dirname "$target")"
  rm -f "$target"
fi

is() { [[ $variant == *" $1 "* ]]; }  # is VARIANT: whether it was asked for

has() {  # has TABLE: whether the variants keep the table
  case $1 in
    UPDATE_HIST) ! is no-update-hist ;;
    BUYBILL_MASTER) ! is no-buybill-master ;;
    INSTORAGE_SUBTEMP | MCH_ITEM | PUB_PARAM) ! is no-optional-tables ;;
    *) true ;;
  esac
}

# fill TABLE "COLUMNS" "VALUES": ROWS rows made by a loop inside the server;
# the values see the row number as :I (from 1).
fill() {
  cat <<EOF
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= $rows) DO
  BEGIN
    INSERT INTO $1 ($2) VALUES ($3);
    I = I + 1;
  END
END^
SET TERM ; ^
COMMIT;
EOF
}

# Values shared by several tables. Names cycle through a few Traditional
# Chinese texts; the script is written in UTF-8 and converted to Big5 below.
id="'%s' || LPAD(:I, 8, '0')"
bill_date="CAST(DATEADD(MOD(:I, 365) DAY TO DATE '2023-01-01') AS VARCHAR(10))"
chg_date="'2023-12-31'"
prod_id="'P' || LPAD(MOD(:I, 500) + 1, 6, '0')"
prod_name="CASE MOD(:I, 5) WHEN 0 THEN '蘋果汁' WHEN 1 THEN '烏龍茶' WHEN 2 THEN '礦泉水' WHEN 3 THEN '牛奶糖' ELSE '洋芋片' END"
cust_name="CASE MOD(:I, 4) WHEN 0 THEN '王小明' WHEN 1 THEN '李美華' WHEN 2 THEN '陳大同' ELSE '張家豪' END"
prov_name="CASE MOD(:I, 3) WHEN 0 THEN '大華食品行' WHEN 1 THEN '永安貿易' ELSE '新興批發' END"
qty="MOD(:I, 12) + 1"
price="(MOD(:I, 40) + 1) * 12.5"
# Two detail lines per bill: line I belongs to bill (I + 1) / 2.
sub_bill="'%s' || LPAD((:I + 1) / 2, 8, '0')"
sub_seq="MOD(:I - 1, 2) + 1"

master() {  # master TABLE PREFIX PARTY_COLUMN PARTY_PREFIX
  has "$1" || return 0
  cat <<EOF
CREATE TABLE $1 (
  BILL_ID VARCHAR(20) NOT NULL,
  BILL_DATE VARCHAR(10),
  $3 VARCHAR(10),
  TOT_AMT DOUBLE PRECISION,
  REMARK VARCHAR(100),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (BILL_ID));
CREATE INDEX IX_${1}_DATE ON $1 (BILL_DATE);
COMMIT;
EOF
  # shellcheck disable=SC2059
  fill "$1" "BILL_ID, BILL_DATE, $3, TOT_AMT, REMARK, CHG_DATE" \
    "$(printf "$id" "$2"), $bill_date, '$4' || LPAD(MOD(:I, 50) + 1, 4, '0'), ($qty) * ($price), CASE WHEN MOD(:I, 7) = 0 THEN '月結' END, $chg_date"
}

detail() {  # detail TABLE BILL_PREFIX PRICE_COLUMN
  has "$1" || return 0
  cat <<EOF
CREATE TABLE $1 (
  BILL_ID VARCHAR(20) NOT NULL,
  SEQ_NO INTEGER NOT NULL,
  PROD_ID VARCHAR(20),
  PROD_NAME VARCHAR(50),
  QTY DOUBLE PRECISION,
  $3 DOUBLE PRECISION,
  AMT DOUBLE PRECISION,
  PRIMARY KEY (BILL_ID, SEQ_NO));
COMMIT;
EOF
  # shellcheck disable=SC2059
  fill "$1" "BILL_ID, SEQ_NO, PROD_ID, PROD_NAME, QTY, $3, AMT" \
    "$(printf "$sub_bill" "$2"), $sub_seq, $prod_id, $prod_name, $qty, $price, ($qty) * ($price)"
}

schema() {
  if has CPETITION_SUB; then
    cat <<EOF
CREATE TABLE CPETITION_SUB (
  CP_ID VARCHAR(10) NOT NULL,
  SEQ_NO INTEGER NOT NULL,
  PROD_ID VARCHAR(20),
  PROD_NAME VARCHAR(50),
  SALE_QTY DOUBLE PRECISION,
  SALE_PRICE DOUBLE PRECISION,
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (CP_ID, SEQ_NO));
COMMIT;
EOF
    fill CPETITION_SUB "CP_ID, SEQ_NO, PROD_ID, PROD_NAME, SALE_QTY, SALE_PRICE, CHG_DATE" \
      "'CP' || LPAD((:I + 9) / 10, 6, '0'), MOD(:I - 1, 10) + 1, $prod_id, $prod_name, $qty, $price * 0.9, $chg_date"
  fi
  if has UPAY_MASTER; then
    cat <<EOF
CREATE TABLE UPAY_MASTER (
  UPAY_ID VARCHAR(20) NOT NULL,
  UPAY_DATE VARCHAR(10),
  PROV_ID VARCHAR(10),
  UPAY_AMT DOUBLE PRECISION,
  REMARK VARCHAR(100),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (UPAY_ID));
COMMIT;
EOF
    fill UPAY_MASTER "UPAY_ID, UPAY_DATE, PROV_ID, UPAY_AMT, REMARK, CHG_DATE" \
      "$(printf "$id" U), $bill_date, 'V' || LPAD(MOD(:I, 50) + 1, 4, '0'), ($qty) * 1000, '應付帳款', $chg_date"
  fi
  master ORDER_MASTER O CUST_ID C
  detail ORDER_SUB O PRICE
  master SAL_MASTER S CUST_ID C
  detail SAL_SUB S PRICE
  master SALBK_MASTER R CUST_ID C
  detail SALBK_SUB R PRICE
  master BUYBILL_MASTER B PROV_ID V
  detail BUYBILL_SUB B COST
  detail INSTORAGE_SUB I COST
  detail INSTORAGE_SUBTEMP I COST
  detail INSTORAGEBK_SUB K COST
  detail INSTORAGEBK_SUBTEMP K COST
  if has CUSTOMER; then
    cat <<EOF
CREATE TABLE CUSTOMER (
  CUST_ID VARCHAR(10) NOT NULL,
  CUST_NAME VARCHAR(50),
  CUST_CLASSID VARCHAR(10),
  TEL VARCHAR(20),
  ADDR VARCHAR(100),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (CUST_ID));
COMMIT;
EOF
    fill CUSTOMER "CUST_ID, CUST_NAME, CUST_CLASSID, TEL, ADDR, CHG_DATE" \
      "'C' || LPAD(:I, 8, '0'), $cust_name, 'A' || MOD(:I, 3), '02-' || LPAD(:I, 8, '0'), '台北市中山區' || :I || '號', $chg_date"
  fi
  if has PROVIDER; then
    cat <<EOF
CREATE TABLE PROVIDER (
  PROV_ID VARCHAR(10) NOT NULL,
  PROV_NAME VARCHAR(50),
  TEL VARCHAR(20),
  ADDR VARCHAR(100),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (PROV_ID));
COMMIT;
EOF
    fill PROVIDER "PROV_ID, PROV_NAME, TEL, ADDR, CHG_DATE" \
      "'V' || LPAD(:I, 8, '0'), $prov_name, '04-' || LPAD(:I, 8, '0'), '台中市西屯區' || :I || '號', $chg_date"
  fi
  if has MCH_ITEM; then
    cat <<EOF
CREATE TABLE MCH_ITEM (
  MCH_ID VARCHAR(10) NOT NULL,
  MCH_NAME VARCHAR(50),
  DEP_NO VARCHAR(10),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (MCH_ID));
COMMIT;
EOF
    fill MCH_ITEM "MCH_ID, MCH_NAME, DEP_NO, CHG_DATE" \
      "'M' || LPAD(:I, 8, '0'), '收銀機' || :I, 'D' || MOD(:I, 5), $chg_date"
  fi
  if has INFOMATION; then
    cat <<EOF
CREATE TABLE INFOMATION (
  INFO_ID INTEGER NOT NULL,
  INFO_DATE VARCHAR(10),
  TITLE VARCHAR(100),
  CONTENT VARCHAR(500),
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (INFO_ID));
COMMIT;
EOF
    fill INFOMATION "INFO_ID, INFO_DATE, TITLE, CONTENT, CHG_DATE" \
      ":I, $bill_date, '公告' || :I, '門市營業時間調整', $chg_date"
  fi
  if has PUB_PARAM; then
    cat <<EOF
CREATE TABLE PUB_PARAM (
  PARAM_ID VARCHAR(10) NOT NULL,
  COMPANY_NAME VARCHAR(100),
  TAX_RATE DOUBLE PRECISION,
  CHG_DATE VARCHAR(10),
  PRIMARY KEY (PARAM_ID));
COMMIT;
EOF
    fill PUB_PARAM "PARAM_ID, COMPANY_NAME, TAX_RATE, CHG_DATE" \
      "'P' || LPAD(:I, 8, '0'), '大華百貨股份有限公司', 0.05, $chg_date"
  fi
  if has UPDATE_HIST; then
    cat <<EOF
CREATE TABLE UPDATE_HIST (
  PACK_ID VARCHAR(20) NOT NULL,
  UPDATE_DATE VARCHAR(10),
  REMARK VARCHAR(100),
  PRIMARY KEY (PACK_ID));
INSERT INTO UPDATE_HIST VALUES ('PACK2023A', '2023-06-30', '舊版PACK');
COMMIT;
EOF
  fi
}

add() {  # add TABLE COLUMN TYPE, when the table is there
  if has "$1"; then echo "ALTER TABLE $1 ADD $2 $3;"; fi
}

# The state the upgrade leaves, written from its data model rather than from
# its statements: columns in the order the upgrade visits them (so their
# positions match), then its tables with their keys and indexes.
upgraded() {
  add CPETITION_SUB GIVE_QTY "DOUBLE PRECISION"
  add CPETITION_SUB PSALE_PRICE "DOUBLE PRECISION"
  add CPETITION_SUB V_GIVE_QTY "DOUBLE PRECISION"
  add UPAY_MASTER ACC_YM "VARCHAR(7)"
  for t in ORDER_SUB SAL_SUB SALBK_SUB; do add $t ITEM_UNIT "VARCHAR(10)"; done
  for t in ORDER_MASTER SAL_MASTER SALBK_MASTER ORDER_SUB SAL_SUB SALBK_SUB; do add $t BILL_KIND "VARCHAR(10)"; done
  for t in BUYBILL_SUB INSTORAGE_SUB INSTORAGE_SUBTEMP INSTORAGEBK_SUB INSTORAGEBK_SUBTEMP; do add $t ITEM_UNIT "VARCHAR(10)"; done
  for t in BUYBILL_MASTER BUYBILL_SUB; do add $t BILL_KIND "VARCHAR(10)"; done
  add CUSTOMER PASS_WD "VARCHAR(10)"
  add PROVIDER PASS_WD "VARCHAR(10)"
  add MCH_ITEM TAX_TITLE "VARCHAR(100)"
  add MCH_ITEM BUSINESS_NUM "VARCHAR(20)"
  add MCH_ITEM TAX_NUM "VARCHAR(20)"
  add INFOMATION SHOW_YN "VARCHAR(1)"
  add PUB_PARAM INCHKUD "VARCHAR(1)"
  add PUB_PARAM SALCHKUD "VARCHAR(1)"
  add PROVIDER CENTER_AMTPERS "DOUBLE PRECISION"
  echo "COMMIT;"
  for t in ORDER_MASTER ORDER_SUB SAL_MASTER SAL_SUB SALBK_MASTER SALBK_SUB BUYBILL_MASTER BUYBILL_SUB; do
    if has $t; then echo "UPDATE $t SET BILL_KIND = '一般' WHERE BILL_KIND IS NULL;"; fi
  done
  local double="DOUBLE PRECISION"
  cat <<EOF
CREATE TABLE TEMP_BACC (BILL_DATE VARCHAR(10) NOT NULL, LAST_ID INTEGER, CHG_DATE VARCHAR(10),
  PRIMARY KEY (BILL_DATE));
CREATE TABLE WEB_RUNTITLE (ID VARCHAR(2) NOT NULL, TITLE VARCHAR(100), TITLE_URL VARCHAR(100),
  PRIMARY KEY (ID));
CREATE TABLE WEB_MAINBOARD (PROD_ID VARCHAR(20) NOT NULL, PROD_NAME VARCHAR(50));
CREATE TABLE WEB_TOPBOARD (PROD_ID VARCHAR(20) NOT NULL, PROD_NAME VARCHAR(50), TOP_ITEMID VARCHAR(10));
CREATE TABLE TEMP_CUSTID (CUST_CLASSID VARCHAR(10) NOT NULL, LAST_ID INTEGER, CHG_DATE VARCHAR(10),
  PRIMARY KEY (CUST_CLASSID));
CREATE TABLE X_DAYACC_MASTER2 (SAL_DATE VARCHAR(10) NOT NULL,
  BEFORE_COST $double, INSTORAGE_AMT $double, INSTORAGEBK_AMT $double, SAL_COST $double,
  SALBK_COST $double, POS_COST $double, VOID_COST $double, NOW_COST $double,
  TRNIN_AMT $double, TRNOUT_AMT $double, DEP_NO VARCHAR(10),
  SUM_COST_STD $double, DIF_COST_STD $double, SUM_COST_AVG $double, DIF_COST_AVG $double,
  SUM_R_INCOST $double, SUM_R_INBKCOST $double, SUM_IN_DEFCOST $double, SUM_RNOW_COST $double,
  SUM_DIF_COST $double, SUM_CHG_COST $double, SUM_END_COST $double,
  CHG_DATE VARCHAR(10), PD_DEPID VARCHAR(10),
  PRIMARY KEY (SAL_DATE));
CREATE TABLE X_DAYACC_SUB2 (SAL_DATE VARCHAR(10) NOT NULL, PD_TOPITEMID VARCHAR(10) NOT NULL,
  PD_HIITEMID VARCHAR(10) NOT NULL, PD_ITEMID VARCHAR(10) NOT NULL, PROD_ID VARCHAR(20) NOT NULL,
  PROD_NAME VARCHAR(50),
  BEFORE_COST $double, INSTORAGE_AMT $double, INSTORAGEBK_AMT $double, SAL_COST $double,
  SALBK_COST $double, POS_COST $double, VOID_COST $double, NOW_COST $double,
  PD_ITEMNAME VARCHAR(20), PD_HIITEMNAME VARCHAR(20), PD_TOPITEMNAME VARCHAR(20),
  TRNIN_AMT $double, TRNOUT_AMT $double, R_INCOST $double, R_INBKCOST $double, IN_DEFCOST $double,
  RNOW_COST $double, DIF_COST $double, CHG_COST $double, END_COST $double,
  CHG_DATE VARCHAR(10), PD_DEPID VARCHAR(10));
CREATE TABLE BAND_ITEM (BAND_ID VARCHAR(20) NOT NULL, BAND_NAME VARCHAR(50), CHG_DATE VARCHAR(10),
  CL_TIMES INT, PRIMARY KEY (BAND_ID));
CREATE TABLE PROD_BAND (BAND_ID VARCHAR(20), PROD_ID VARCHAR(20), PROD_NAME VARCHAR(50));
COMMIT;
CREATE INDEX IDX_WEB_MAINBOARD ON WEB_MAINBOARD (PROD_ID);
CREATE INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD (TOP_ITEMID);
CREATE INDEX IX_DAYACC_SUB2_0 ON X_DAYACC_SUB2 (SAL_DATE);
CREATE INDEX IX_DAYACC_SUB2_1 ON X_DAYACC_SUB2 (PROD_ID);
CREATE INDEX IDX_PD_BAND0 ON PROD_BAND (BAND_ID, PROD_ID);
COMMIT;
EOF
}

# isql-fb drops bytes above 0x7F that arrive through a pipe, so the Big5
# script goes to it as a file.
script=$work/sample.sql
{
  echo "SET SQL DIALECT 3;"
  echo "CREATE DATABASE '$target' USER '$user' PASSWORD '$password' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;"
  schema
  if is upgraded; then upgraded; fi
} | iconv -f UTF-8 -t CP950 >"$script"

isql-fb -q -bail -user "$user" -password "$password" -i "$script" >"$work/isql.out" 2>&1 ||
  { cat "$work/isql.out" >&2; echo "make-sample-db: creating $target failed" >&2; exit 1; }
echo "make-sample-db: $target (${variants[*]}, $rows rows per table)"
