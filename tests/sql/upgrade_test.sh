#!/usr/bin/env bash
# The upgrade of a database of the schema before versions (tests/fixtures/version1.sql):
# norv_admin upgrade reports what it did, leaves the program's schema equal to a fresh
# install's, keeps every row unchanged (the positions whose operation or type was deleted
# show under placeholders), and afterwards a save, a deletion, a rebuild and every report
# work; a second upgrade does nothing.
#   upgrade_test.sh NORV_REPORT
set -uo pipefail
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
report=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
admin=$root/admin/norv_admin
old=upgrade_old_$$_$RANDOM
new=upgrade_new_$$_$RANDOM
work=$(mktemp -d)
super() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
cleanup() {
  super -d postgres -c "drop database if exists $old with (force)" -c "drop database if exists $new with (force)" \
    >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}

super -d postgres -c "create database $old owner sys template template0" >/dev/null || exit 1
super -d "$old" -f "$root/tests/fixtures/version1.sql" >/dev/null || exit 1
super -d postgres -c "create database $new owner norv_owner template template0" >/dev/null || exit 1
bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$new" install --demo >/dev/null || exit 1

# every row of the program's and the enterprise's tables, in id order
rows() {
  local t
  for t in accounts_dep.smena accounts_dep.h_tabel accounts_dep.smena_gds_use accounts_dep.person_temp \
           accounts_dep.norm accounts_dep.izdel accounts_dep.oper accounts_dep.vid_oper \
           cmn_contractor.person cmn_gds_and_srv.gds; do
    echo "== $t"
    super -d "$old" -t -A -c "select t::text from $t t order by 1"
  done
}
rows > "$work/before"
# the newest migration's number: what a database of version 1 is brought to
latest=$(ls "$root/data/sql/migrations" | sed -n 's/^0*\([0-9][0-9]*\)_.*\.sql$/\1/p' | sort -n | tail -1)

bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$old" upgrade --demo > "$work/upgrade.out" 2>&1
status=$?
cat "$work/upgrade.out"
check "the upgrade succeeds" [ $status = 0 ]
for line in "Удалённых операций восстановлено под видом «(удалённая операция)»: 1 (позиций с ними: 2)" \
            "Удалённых видов операций восстановлено под именем «(удалённый вид N)»: 1 (операций с ними: 1)" \
            "Миграция 0002_keys_rules_owner.sql выполнена" \
            "Миграция 0003_report_statistics.sql выполнена" \
            "Миграция 0004_history_closed_months.sql выполнена" \
            "Выполнено миграций: $((latest - 1)); база в версии $latest."; do
  check "the upgrade prints \"$line\"" grep -qF "$line" "$work/upgrade.out"
done

# the program's schema, without what pg_dump writes differently each time
schema() {
  pg_dump -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -d "$1" --schema-only -n accounts_dep \
    | grep -v -E '^--|^$|^\\(un)?restrict '
}
schema "$old" > "$work/old.schema"
schema "$new" > "$work/new.schema"
check "the upgraded schema equals a fresh install's" diff -u "$work/new.schema" "$work/old.schema"
check "both record every version" [ "$(super -d "$old" -tAc "select string_agg(version::text, ',' order by version) from accounts_dep.schema_version")" = "$(seq -s, 1 "$latest")" ]

rows > "$work/after"
# the upgrade adds only operation 4, type 3 and the type "(удалённая операция)"
diff "$work/before" "$work/after" > "$work/rows.diff"
check "no row is lost or changed" [ "$(grep -c '^<' "$work/rows.diff")" = 0 ]
check "only the placeholders are added" [ "$(grep -c '^>' "$work/rows.diff")" = 3 ]
check "the journal shows the deleted operation's and type's positions" \
  [ "$(super -d "$old" -tAc "select string_agg(s.id || ':' || trim(v.vid), ',' order by s.id)
        from accounts_dep.smena s join accounts_dep.oper o on o.id = s.o_id
        join accounts_dep.vid_oper v on v.id = o.vid where s.id in (3, 4, 5)")" \
    = "3:(удалённый вид 3),4:(удалённая операция),5:(удалённая операция)" ]

# a clerk's save and deletion, and the month's rebuild, as the program does them
as_login() { PGPASSWORD=$2 psql -X -q -t -A -h "$NORV_TEST_PGHOST" -p 5432 -U "$1" -d "$old" -v ON_ERROR_STOP=1 -c "$3"; }
check "a save works" [ "$(as_login petrova petrova-demo "
  insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time)
      values ('2024-11-05', 1, 201, 501, 2, 3, 4, 0, 2);
  select accounts_dep.h_tabel_set_day(201, 1, '2024-11-05', true)")" = 10 ]
check "a deletion works" [ "$(as_login petrova petrova-demo "
  delete from accounts_dep.smena where id = 2;
  select accounts_dep.h_tabel_set_day(201, 1, '2024-11-05', false)")" = 6 ]
check "the deleted operation's position can be deleted too" [ "$(as_login petrova petrova-demo "
  delete from accounts_dep.smena where id = 5;
  select accounts_dep.h_tabel_set_day(203, 2, '2024-11-06', false)")" = 0 ]
check "a rebuild works" as_login petrova petrova-demo "
  select accounts_dep.h_tabel_rebuild_day(11, 2024, d) from generate_series(1, 30) d;
  select accounts_dep.h_tabel_rebuild_write(11, 2024)"
check "the rebuild keeps the old day of 30 hours" [ "$(super -d "$old" -tAc \
  "select d6 from accounts_dep.h_tabel where w_id = 203 and smena = 1 and month = 11 and year = 2024")" = 30 ]

# every report through norv_report, as the economist
printf 'econom-demo\n' > "$work/password"
for r in workers products workers-detail products-detail requisitions; do
  check "the report $r works" "$report" "$NORV_TEST_PGHOST" "$old" econom "$r" --from 01.11.2024 --to 01.01.2025 \
    --password-file "$work/password" --pdf "$work/$r.pdf"
done
check "the production export works" "$report" "$NORV_TEST_PGHOST" "$old" econom production \
  --from 01.11.2024 --to 01.01.2025 --password-file "$work/password" --xlsx "$work/production.xlsx"
check "the time-sheet works" "$report" "$NORV_TEST_PGHOST" "$old" econom timesheet --month 11 --year 2024 \
  --password-file "$work/password" --pdf "$work/timesheet.pdf"

bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$old" upgrade > "$work/again.out" 2>&1
check "a second upgrade does nothing" grep -qF "Невыполненных миграций нет: база в версии $latest." "$work/again.out"
check "a second upgrade records nothing" [ "$(super -d "$old" -tAc "select count(*) from accounts_dep.schema_version")" = "$latest" ]

# A plant's upgrade (without --demo) leaves what the enterprise defines in accounts_dep
# to its owner: the old division, which calls the day-cell function with three
# arguments, still divides and writes the cells.
plant=upgrade_plant_$$_$RANDOM
trap 'cleanup; super -d postgres -c "drop database if exists $plant with (force)" >/dev/null 2>&1' EXIT
super -d postgres -c "create database $plant owner sys template template0" >/dev/null || exit 1
super -d "$plant" -f "$root/tests/fixtures/version1.sql" >/dev/null || exit 1
check "a plant's upgrade succeeds" bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$plant" upgrade >/dev/null
check "the enterprise's functions keep their owner" [ "$(super -d "$plant" -tAc \
  "select pg_get_userbyid(proowner) from pg_proc where proname = 'divide_between_person'")" = sys ]
check "the enterprise's old division still works" [ "$(PGPASSWORD=petrova-demo psql -X -q -t -A \
  -h "$NORV_TEST_PGHOST" -p 5432 -U petrova -d "$plant" -v ON_ERROR_STOP=1 \
  -c "select accounts_dep.divide_between_person(2)" \
  -c "select string_agg(format('%s:%s', h.w_id, h.d5), ',' order by h.w_id) from accounts_dep.h_tabel h
      where h.month = 11 and h.year = 2024 and h.smena = 1 and h.w_id in (201, 202)" | tail -1)" = "201:6,202:10" ]

[ $failed = 0 ] && echo "the upgrade holds" || exit 1
