#!/usr/bin/env bash
# What each kind of login may do through psql, whatever the program's windows allow:
# a table of statements per login (clerk petrova, master zemplar, economist econom,
# administrator sys), each refused with its SQLSTATE (and, for the rules, the exact
# message) or allowed; the value rules just inside and just outside each bound; and a
# reader who takes every lock he can reach does not hold up a save.
# Every statement runs in a transaction that is rolled back.
set -uo pipefail
source "$(dirname "$0")/lib/logins.sh"
db=logintest_$$_$RANDOM
make_database "$db" || exit 1
reader_pid=
cleanup() {
  [ -n "$reader_pid" ] && kill "$reader_pid" 2>/dev/null
  super -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1 || true
}
trap cleanup EXIT

this_year=$(date +%Y)
next_year=$((this_year + 1))
later_year=$((this_year + 2))

# Workers 201-204, a finished-products operation (1) and a blanks one (2) with norms, and
# positions of 14.03.2025: 1001 with material, 1002 without, 1003 a blank with material,
# 1004 accepted, 1005 a clerk's, worker 202 with 12 hours in shift 1.
super -d "$db" >/dev/null <<'SQL' || exit 1
insert into cmn_contractor.person (id, s_code, s_caption) values (1, '204', 'Дмитриев Д.Д.');
insert into accounts_dep.izdel (id, marka) values (501, 'КМ-120');
insert into accounts_dep.vid_oper (id, vid) values (1, 'Сборка'), (2, 'Резка');
insert into accounts_dep.oper (id, i_id, vid, naimen, cena_new) values (1, 501, 1, 0, 12.5), (2, 501, 2, 1, 3);
select setval('accounts_dep.vid_oper_id_seq', 10), setval('accounts_dep.oper_id_seq', 10),
       setval('accounts_dep.smena_id_seq', 2000);
insert into cmn_gds_and_srv.gds (id, s_group_tmc, s_code, s_caption, s_full_caption)
    values (901, 'ЛКМ', '08.01', 'Эмаль', 'Эмаль (08.01)');
insert into accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values
    (1001, '2025-03-14', 1, 201, 501, 1, 12.5, 10, 0, 4, 'no'),
    (1002, '2025-03-14', 1, 201, 501, 1, 12.5, 10, 0, 4, 'no'),
    (1003, '2025-03-14', 1, 201, 501, 2, 3, 10, 0, 4, 'no'),
    (1004, '2025-03-14', 1, 203, 501, 1, 12.5, 10, 0, 4, 'ok'),
    (1005, '2025-03-14', 2, 203, 501, 1, 12.5, 10, 0, 4, 'no'),
    (1006, '2025-03-14', 1, 202, 501, 1, 12.5, 10, 0, 12, 'no');
insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (1001, 901, 1), (1003, 901, 1), (1004, 901, 1);
select accounts_dep.h_tabel_set_day(w, s, '2025-03-14', true) from (values (201, 1), (202, 1), (203, 1), (203, 2)) c(w, s);
SQL

NV001='NV001: Позиция принята мастером: изменить или удалить её нельзя.'
NV002='NV002: Принимать позиции может только мастер.'
NV003='NV003: Не заведен расход ТМЦ!'
NV004='NV004: Принимаются только позиции готовой продукции.'

table <<EOF
# nobody writes the time-sheet directly; the clerk's upkeep computes it from positions
petrova|42501|insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) values (201, 3, 3, 2025, 8)
petrova|42501|update accounts_dep.h_tabel set d14 = 24
petrova|42501|delete from accounts_dep.h_tabel
zemplar|42501|insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) values (201, 3, 3, 2025, 8)
zemplar|42501|update accounts_dep.h_tabel set d14 = 24
zemplar|42501|delete from accounts_dep.h_tabel
econom|42501|insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) values (201, 3, 3, 2025, 8)
econom|42501|update accounts_dep.h_tabel set d14 = 24
econom|42501|delete from accounts_dep.h_tabel
sys|42501|insert into accounts_dep.h_tabel (w_id, smena, month, year, d1) values (201, 3, 3, 2025, 8)
sys|42501|update accounts_dep.h_tabel set d14 = 24
sys|42501|delete from accounts_dep.h_tabel
petrova|ok|select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true)
petrova|ok|select accounts_dep.h_tabel_rebuild_day(3, 2025, 1); select accounts_dep.h_tabel_rebuild_write(3, 2025)
sys|ok|select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true)
zemplar|42501|select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true)
econom|42501|select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true)
econom|42501|select accounts_dep.h_tabel_rebuild_write(3, 2025)
# the rebuild's cells cannot be forged with a table of one's own
petrova|P0001: Табель: временная таблица h_tabel_rebuild_cell чужая|create temp table h_tabel_rebuild_cell (year integer, month integer, day integer, w_id integer, smena integer, hours integer); select accounts_dep.h_tabel_rebuild_write(3, 2025)
# prices, norms and operation types: the clerk and the administrator only
petrova|ok|update accounts_dep.norm set price = 13
petrova|ok|insert into accounts_dep.vid_oper (vid) values ('Гибка')
petrova|ok|insert into accounts_dep.oper (i_id, vid, naimen, cena_new) values (501, 1, 1, 7)
sys|ok|update accounts_dep.norm set norma = 50
sys|ok|delete from accounts_dep.vid_oper where vid = 'Нет такой'
zemplar|42501|update accounts_dep.norm set price = price * 100
zemplar|42501|insert into accounts_dep.norm (o_id, price) values (1, 5)
zemplar|42501|update accounts_dep.oper set cena_new = 1
zemplar|42501|insert into accounts_dep.vid_oper (vid) values ('Гибка')
zemplar|42501|delete from accounts_dep.vid_oper where id = 2
econom|42501|update accounts_dep.norm set price = price * 100
econom|42501|delete from accounts_dep.norm
econom|42501|insert into accounts_dep.oper (i_id, vid, naimen) values (501, 1, 1)
econom|42501|update accounts_dep.vid_oper set vid = 'x'
# acceptance: masters and the administrator, with material, finished products only
petrova|$NV002|select accounts_dep.smena__accept_row(1001)
petrova|$NV002|update accounts_dep.smena set ok = 'ok' where id = 1001
petrova|$NV002|insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, kol_vo, ok) values ('2025-03-14', 1, 201, 501, 1, 1, 'ok')
zemplar|ok|select accounts_dep.smena__accept_row(1001)
zemplar|42501|update accounts_dep.smena set ok = 'ok' where id = 1001
zemplar|$NV003|select accounts_dep.smena__accept_row(1002)
zemplar|$NV004|select accounts_dep.smena__accept_row(1003)
sys|ok|select accounts_dep.smena__accept_row(1001)
sys|$NV003|update accounts_dep.smena set ok = 'ok' where id = 1002
econom|42501|select accounts_dep.smena__accept_row(1001)
zemplar|ok|select accounts_dep.smena__accept_row(1004)
# demo data and restores load accepted positions
postgres|ok|insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, kol_vo, ok) values ('2025-03-14', 1, 201, 501, 2, 1, 'ok')
# an accepted position stays as it is, for everyone
petrova|$NV001|update accounts_dep.smena set kol_vo = 11 where id = 1004
petrova|$NV001|update accounts_dep.smena set ok = 'no' where id = 1004
petrova|$NV001|delete from accounts_dep.smena where id = 1004
sys|$NV001|update accounts_dep.smena set time = 1 where id = 1004
sys|$NV001|delete from accounts_dep.smena where id = 1004
postgres|$NV001|update accounts_dep.smena set time = 1 where id = 1004
postgres|$NV001|delete from accounts_dep.smena where id = 1004
zemplar|42501|update accounts_dep.smena set kol_vo = 11 where id = 1004
zemplar|42501|delete from accounts_dep.smena where id = 1004
econom|42501|update accounts_dep.smena set kol_vo = 11 where id = 1004
econom|42501|delete from accounts_dep.smena where id = 1004
petrova|ok|update accounts_dep.smena set kol_vo = 11 where id = 1005
petrova|ok|delete from accounts_dep.smena where id = 1005
# a reader takes no lock that holds up a writer, makes no temporary table, stores nothing
econom|42501|select accounts_dep.h_tabel_lock_month(3, 2025, true)
econom|42501|select accounts_dep.h_tabel_lock_worker(201, '2025-03-14')
econom|42501|select * from accounts_dep.h_tabel_month_lock for share
econom|42501|select * from accounts_dep.h_tabel_worker_lock for update
econom|42501|lock table accounts_dep.h_tabel_month_lock in access share mode
econom|42501|select * from accounts_dep.smena for key share
econom|42501|select * from accounts_dep.h_tabel for update
econom|42501|select * from accounts_dep.norm for share
econom|42501|lock table accounts_dep.smena in share mode
econom|42501|lock table accounts_dep.h_tabel in row exclusive mode
econom|42501|create temp table x (a integer)
econom|42501|select lo_create(0)
econom|42501|select lo_creat(-1)
econom|42501|select lo_from_bytea(0, 'x')
econom|42501|select lo_import('/etc/hostname')
zemplar|42501|select accounts_dep.h_tabel_lock_month(3, 2025, true)
zemplar|42501|create temp table x (a integer)
zemplar|42501|select lo_from_bytea(0, 'x')
petrova|42501|select accounts_dep.h_tabel_lock_month(3, 2025, true)
petrova|42501|select lo_from_bytea(0, 'x')
petrova|ok|create temp table x (a integer)
# the administrator has no way to roles or a shell
sys|42501|create role intruder login
sys|42501|alter role sys createrole
sys|42501|alter role sys superuser
sys|42501|grant pg_execute_server_program to sys
sys|42501|grant norv_administrator to econom
sys|42501|set role norv_owner
sys|42501|copy (select 1) to program 'id'
sys|42501|copy accounts_dep.smena to '/tmp/norv-smena-copy'
sys|42501|create table accounts_dep.x (a integer)
sys|42501|alter table accounts_dep.smena disable trigger smena_rules
sys|42501|select lo_from_bytea(0, 'x')
EOF

# The value rules, each bound just inside and just outside, as a clerk writes positions.
ins="insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time) values"
KOL='23514: Количество должно быть больше 0 и не больше 1 000 000.'
BRAK='23514: Брак не может быть больше количества!'
TIME='23514: Часы должны быть от 0 до 24.'
DAY='23514: Часов рабочего за день по всем сменам не может быть больше 24.'
DATE='23514: Дата работы должна быть с 2000 года по следующий год.'
CENA='23514: Цена позиции должна быть от 0 до 10 000 000.'
PRICE='23514: Цена должна быть больше 0 и меньше 1 000 000, не больше 4 знаков после запятой.'
NORMA='23514: Норматив должен быть от 0 до 999 999.'
PRIZE='23514: Премия должна быть от 0 до 1 000 %.'
table <<EOF
petrova|$KOL|$ins ('2025-03-14', 3, 201, 501, 1, 1, 0, 0, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 1, 0.001, 0, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 1, 1000000, 0, 1)
petrova|$KOL|$ins ('2025-03-14', 3, 201, 501, 1, 1, 1000000.001, 0, 1)
petrova|$KOL|$ins ('2025-03-14', 3, 201, 501, 1, 1, 1e308, 0, 1)
petrova|$KOL|$ins ('2025-03-14', 3, 201, 501, 1, 1, 'NaN', 0, 1)
petrova|$KOL|update accounts_dep.smena set kol_vo = -1 where id = 1005
petrova|$BRAK|$ins ('2025-03-14', 3, 201, 501, 1, 1, 5, -1, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 1, 5, 0, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 1, 5, 5, 1)
petrova|$BRAK|$ins ('2025-03-14', 3, 201, 501, 1, 1, 5, 6, 1)
petrova|$BRAK|update accounts_dep.smena set kol_vo = 2, brak = 3 where id = 1005
petrova|$TIME|$ins ('2025-03-14', 3, 201, 501, 1, 1, 1, 0, -1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 1, 1, 0, 0)
petrova|ok|$ins ('2025-03-15', 3, 201, 501, 1, 1, 1, 0, 24)
petrova|$TIME|$ins ('2025-03-15', 3, 201, 501, 1, 1, 1, 0, 25)
petrova|ok|$ins ('2025-03-14', 2, 202, 501, 1, 1, 1, 0, 12)
petrova|$DAY|$ins ('2025-03-14', 2, 202, 501, 1, 1, 1, 0, 13)
petrova|$DAY|update accounts_dep.smena set time = 21 where id = 1005
petrova|$DAY|update accounts_dep.smena set w_id = 202, time = 13 where id = 1005
petrova|$DATE|$ins ('1999-12-31', 1, 201, 501, 1, 1, 1, 0, 1)
petrova|ok|$ins ('2000-01-01', 1, 201, 501, 1, 1, 1, 0, 1)
petrova|ok|$ins ('$next_year-12-31', 1, 201, 501, 1, 1, 1, 0, 1)
petrova|$DATE|$ins ('$later_year-01-01', 1, 201, 501, 1, 1, 1, 0, 1)
petrova|$DATE|$ins ('9999-03-14', 1, 201, 501, 1, 1, 1, 0, 1)
petrova|$CENA|$ins ('2025-03-14', 3, 201, 501, 1, -0.01, 1, 0, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 0, 1, 0, 1)
petrova|ok|$ins ('2025-03-14', 3, 201, 501, 1, 9999999.99, 1, 0, 1)
petrova|$CENA|$ins ('2025-03-14', 3, 201, 501, 1, 10000000, 1, 0, 1)
petrova|$PRICE|update accounts_dep.norm set price = 0
petrova|ok|update accounts_dep.norm set price = 0.0001
petrova|ok|update accounts_dep.norm set price = 999999.9999
petrova|$PRICE|update accounts_dep.norm set price = 1000000
petrova|$PRICE|update accounts_dep.norm set price = -5
petrova|$PRICE|update accounts_dep.norm set price = 1e308
petrova|$PRICE|update accounts_dep.norm set price = price * 100000000
petrova|ok|update accounts_dep.norm set price = 1.2345
petrova|$PRICE|update accounts_dep.norm set price = 1.23456
petrova|$PRICE|insert into accounts_dep.norm (o_id, price) values (1, 0)
petrova|$PRICE|insert into accounts_dep.oper (i_id, vid, naimen, cena_new) values (501, 1, 1, 0)
petrova|$PRICE|insert into accounts_dep.oper (i_id, vid, naimen, cena_new) values (501, 1, 1, 1000000)
petrova|ok|insert into accounts_dep.oper (i_id, vid, naimen, cena_new) values (501, 1, 1, 999999.9999)
petrova|ok|insert into accounts_dep.oper (i_id, vid, naimen, cena_new) values (501, 1, 1, null)
petrova|$NORMA|update accounts_dep.norm set norma = -1
petrova|ok|update accounts_dep.norm set norma = 0
petrova|ok|update accounts_dep.norm set norma = 999999
petrova|$NORMA|update accounts_dep.norm set norma = 1000000
petrova|$PRIZE|update accounts_dep.norm set prize = -1
petrova|ok|update accounts_dep.norm set prize = 0
petrova|ok|update accounts_dep.norm set prize = 1000
petrova|$PRIZE|update accounts_dep.norm set prize = 1001
EOF

# A reader who takes every lock he can reach and holds them: a clerk's save, its day cell,
# a division and a month's rebuild on another connection still go through at once (a 2 s
# lock timeout would refuse them).
# each attempt in a savepoint, kept when it succeeded
attempt() { printf 'savepoint s;\n%s;\n\\if :ERROR\nrollback to savepoint s;\n\\else\nrelease savepoint s;\n\\endif\n' "$1"; }
reader_sql=$(
  echo "begin;"
  for t in smena h_tabel norm oper vid_oper smena_gds_use person_temp izdel h_tabel_month_lock h_tabel_worker_lock; do
    for mode in "access share" "row share" "row exclusive" "share" "exclusive"; do
      attempt "lock table accounts_dep.$t in $mode mode"
    done
    attempt "select 1 from accounts_dep.$t for key share"
  done
  attempt "select pg_advisory_lock(740101, 202503), pg_advisory_lock(740102, 0)"
  attempt "select accounts_dep.h_tabel_lock_month(3, 2025, true)"
  attempt "select accounts_dep.h_tabel_lock_worker(201, '2025-03-14')"
  echo "select 'holding' as reader, pg_sleep(60);"
)
printf '%s\n' "$reader_sql" | PGPASSWORD=econom-demo psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U econom \
    -d "$db" >/dev/null 2>&1 &
reader_pid=$!
for _ in $(seq 1 250); do
  kill -0 "$reader_pid" 2>/dev/null || break
  [ "$(super -d "$db" -tAc "select count(*) from pg_stat_activity where usename = 'econom' and wait_event = 'PgSleep'")" = 1 ] && break
  sleep 0.02
done
held=$(super -d "$db" -tAc "select count(*) from pg_locks l join pg_stat_activity a on a.pid = l.pid where a.usename = 'econom'")
save=$(PGPASSWORD=petrova-demo psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U petrova -d "$db" \
         -v ON_ERROR_STOP=1 -tA 2>&1 <<'SQL'
set lock_timeout = '2s';
begin;
insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, time) values ('2025-03-14', 1, 201, 501, 1, 12.5, 3, 2);
select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true);
insert into accounts_dep.person_temp (id_smena, id_person) values (1002, 1);
select accounts_dep.divide_between_person(1002);
commit;
begin;
select accounts_dep.h_tabel_rebuild_day(3, 2025, 14);
select accounts_dep.h_tabel_rebuild_write(3, 2025);
commit;
select 'cell ' || d14 from accounts_dep.h_tabel where w_id = 201 and smena = 1 and month = 3 and year = 2025;
SQL
)
if [ "${held:-0}" -gt 5 ] && [ "$(printf '%s\n' "$save" | tail -1)" = "cell 12" ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED: a save while a reader holds every lock he can reach (reader locks: $held):" >&2
  printf '%s\n' "$save" >&2
fi

# Two clerks move positions in opposite directions between two workers, each then setting the
# old and the new day cell as the program does: both go through, neither waits for the other
# in a circle (the move locks both workers' days in one order).
move() { # position, to worker, from worker
  PGPASSWORD=petrova-demo psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U petrova -d "$db" \
      -v ON_ERROR_STOP=1 -tA 2>&1 <<SQL
begin;
update accounts_dep.smena set w_id = $2 where id = $1;
select pg_sleep(0.3);
select accounts_dep.h_tabel_set_day($3, 1, '2025-03-14', false);
select pg_sleep(0.3);
select accounts_dep.h_tabel_set_day($2, 1, '2025-03-14', true);
commit;
SQL
}
move 1001 202 201 > /tmp/norv-move-a.$$ &
move_a=$!
move 1006 201 202 > /tmp/norv-move-b.$$
wait "$move_a"
moves=$(cat /tmp/norv-move-a.$$ /tmp/norv-move-b.$$)
rm -f /tmp/norv-move-a.$$ /tmp/norv-move-b.$$
cells=$(super -d "$db" -tAc "select string_agg(w_id || ':' || d14, ' ' order by w_id) from accounts_dep.h_tabel where smena = 1 and w_id in (201, 202)")
if ! printf '%s\n' "$moves" | grep -q ERROR && [ "$cells" = "201:20 202:4" ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED: opposite moves (cells $cells):" >&2
  printf '%s\n' "$moves" >&2
fi

echo "login rules: $passed passed, $failed failed"
[ "$failed" = 0 ]
