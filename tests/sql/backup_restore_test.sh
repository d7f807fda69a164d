#!/usr/bin/env bash
# norv_admin backup of a database with data and logins of its own, the database dropped,
# and norv_admin restore into a fresh private cluster: every login works there with its
# old password and keeps its group, every count and the months' sums are equal, and so
# is the month's time-sheet written by norv_report.
#   backup_restore_test.sh NORV_REPORT
set -uo pipefail
report=$1
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
: "${NORV_TEST_TEMPLATE:?run the tests through scripts/test}"
root=$(cd "$(dirname "$0")/../.." && pwd)
admin=$root/admin/norv_admin
db=backup_$$_$RANDOM
clerk=bk_clerk_$$_$RANDOM
reader=bk_reader_$$_$RANDOM
work=$(mktemp -d)
chmod 0755 "$work"
other=$work/cluster
super() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
cleanup() {
  NORV_PG_DIR=$other bash "$root/scripts/pg" stop >/dev/null 2>&1
  [ -f "$other/cluster" ] && rm -rf "$(cat "$other/cluster")"
  super -d postgres -c "drop database if exists $db with (force)" \
    -c "drop role if exists $clerk" -c "drop role if exists $reader" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}

super -d postgres -c "create database $db template $NORV_TEST_TEMPLATE owner norv_owner" \
  -c "revoke temporary on database $db from public" -c "grant temporary on database $db to norv_writer" \
  -c "set password_encryption = 'scram-sha-256'" \
  -c "create role $clerk login password 'Пароль клерка 1' in role norv_writer" \
  -c "create role $reader login password 'reader-2' in role norv_reader" >/dev/null || exit 1
super -d "$db" -f "$root/data/sql/demo.sql" >/dev/null || exit 1

counts() { # counts HOST DATABASE
  psql -X -q -t -A -h "$1" -p 5432 -U postgres -d "$2" -c "
    select 'smena ' || count(*) || ' ' || sum(kol_vo) || ' ' || sum(time) from accounts_dep.smena
    union all select 'h_tabel ' || count(*) from accounts_dep.h_tabel
    union all select 'smena_gds_use ' || count(*) from accounts_dep.smena_gds_use
    union all select 'oper ' || count(*) from accounts_dep.oper
    union all select 'norm ' || count(*) from accounts_dep.norm
    union all select 'person ' || count(*) from cmn_contractor.person
    union all select 'version ' || max(version) from accounts_dep.schema_version
    union all select 'month ' || string_agg(format('%s/%s:%s', month, year, hours), ' ' order by year, month)
      from (select month, year, sum(d1 + d2 + d3 + d10 + d20 + d31) hours
            from accounts_dep.h_tabel group by month, year) m"
}
counts "$NORV_TEST_PGHOST" "$db" > "$work/before"
printf 'econom-demo\n' > "$work/password"
timesheet() { # timesheet HOST OUT: this month's time-sheet as text
  "$report" "$1" "$db" econom timesheet --month "$(date +%-m)" --year "$(date +%Y)" \
    --password-file "$work/password" --pdf "$2.pdf" && pdftotext -layout "$2.pdf" "$2.txt"
}
timesheet "$NORV_TEST_PGHOST" "$work/sheet-before" || exit 1

bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$db" backup "$work/plant.backup" || exit 1
check "only its owner may read the backup (it holds password verifiers)" \
  [ "$(stat -c %a "$work/plant.backup")" = 600 ]
super -d postgres -c "drop database $db with (force)" >/dev/null || exit 1

NORV_PG_DIR=$other NORV_PG_DB=another bash "$root/scripts/pg" start >/dev/null || exit 1
host=$other/run
check "the restore succeeds" bash "$admin" -h "$host" -p 5432 restore "$work/plant.backup"
counts "$host" "$db" > "$work/after"
check "every count is equal" diff -u "$work/before" "$work/after"
check "the time-sheet is written from the restored database" timesheet "$host" "$work/sheet-after"
check "the time-sheet is equal" diff -q "$work/sheet-before.txt" "$work/sheet-after.txt"

login() { PGPASSWORD=$3 psql -X -q -t -A -h "$host" -p 5432 -U "$1" -d "$db" -c "$2" 2>&1; }
check "a clerk added on the plant logs in with his password and saves" \
  [ "$(login "$clerk" "begin; update accounts_dep.smena set color = color where id = (select min(id) from accounts_dep.smena where ok <> 'ok'); select 'saved'; rollback" 'Пароль клерка 1')" = saved ]
check "a reader logs in with his password and may not write" \
  [ "$(login "$reader" "select count(*) > 0 from accounts_dep.smena" reader-2)" = t ]
check "the reader still may not write" \
  grep -q "permission denied" <<<"$(login "$reader" "delete from accounts_dep.norm" reader-2)"
check "the administrator's password is the old one" [ "$(login sys "select 1" sysdemo)" = 1 ]
check "a wrong password is refused" grep -q "password authentication failed" <<<"$(login "$clerk" "select 1" wrong)"

check "a second restore into the same cluster is refused" \
  bash -c "! bash '$admin' -h '$host' -p 5432 restore '$work/plant.backup' 2>'$work/again.err'"
check "with a Russian message" grep -qF "уже есть в этом кластере" "$work/again.err"

[ $failed = 0 ] && echo "backup and restore hold" || exit 1
