#!/usr/bin/env bash
# The history and the closed months as the database keeps them, whatever client writes:
# every kind of change through psql leaves its row with the login and the values; no login
# writes or removes history, a clerk does not read it; a closed month refuses every kind of
# change of its positions, materials, brigade shares and time-sheet until the administrator
# reopens it; a deleted position comes back from its history with its day cell.
set -uo pipefail
source "$(dirname "$0")/lib/logins.sh"
db=historytest_$$_$RANDOM
make_database "$db" || exit 1
trap 'super -d postgres -c "drop database if exists $db with (force)" >/dev/null 2>&1' EXIT

# A worker 201, an operation with its norm, positions of March 2025 (1001 with material,
# 1002 with a brigade share) and of April (2001); no history before the test's own changes.
super -d "$db" >/dev/null <<'SQL' || exit 1
insert into cmn_contractor.person (id, s_code, s_caption) values (1, '202', 'Борисов Б.Б.');
insert into accounts_dep.izdel (id, marka) values (501, 'КМ-120');
insert into accounts_dep.vid_oper (id, vid) values (1, 'Сборка');
insert into accounts_dep.oper (id, i_id, vid, naimen, cena_new) values (1, 501, 1, 0, 12.5);
select setval('accounts_dep.vid_oper_id_seq', 10), setval('accounts_dep.oper_id_seq', 10),
       setval('accounts_dep.smena_id_seq', 3000);
insert into cmn_gds_and_srv.gds (id, s_group_tmc, s_code, s_caption, s_full_caption)
    values (901, 'ЛКМ', '08.01', 'Эмаль', 'Эмаль (08.01)');
insert into accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time) values
    (1001, '2025-03-14', 1, 201, 501, 1, 12.5, 10, 0, 4),
    (1002, '2025-03-14', 1, 201, 501, 1, 12.5, 10, 0, 2),
    (2001, '2025-04-02', 1, 201, 501, 1, 12.5, 10, 0, 4);
insert into accounts_dep.smena_gds_use (id, id_smena, id_gds_use, f_qty_use) values (1, 1001, 901, 1);
insert into accounts_dep.person_temp (id, id_smena, id_person) values (1, 1002, 1);
select accounts_dep.h_tabel_set_day(201, 1, d, true) from (values (date '2025-03-14'), ('2025-04-02')) c(d);
SQL
start=$(super -d "$db" -tAc "select coalesce(max(id), 0) from accounts_dep.history")

# --- every kind of change is recorded, with the login and the changed values
recorded() { # the history rows since start, a line each
  super -d "$db" -tA -F'|' -c "select login, subject, action, coalesce(row_id::text, ''),
      coalesce(position_id::text, ''), coalesce(operation_id::text, ''),
      coalesce(month || '.' || year, ''),
      -- a char(n) column's value comes padded with blanks: shown without them
      regexp_replace(coalesce(old::text, ''), '([^,:]) +\"', '\\1\"', 'g'),
      regexp_replace(coalesce(new::text, ''), '([^,:]) +\"', '\\1\"', 'g')
    from accounts_dep.history where id > $start order by id"
}
as_login petrova "update accounts_dep.smena set kol_vo = 12, brak = 1 where id = 1001" >/dev/null
as_login petrova "update accounts_dep.smena set kol_vo = 12 where id = 1001" >/dev/null # no change
as_login petrova "update accounts_dep.smena_gds_use set f_qty_use = 2 where id = 1" >/dev/null
as_login petrova "insert into accounts_dep.person_temp (id, id_smena, id_person) values (2, 2001, 1)" >/dev/null
as_login petrova "delete from accounts_dep.person_temp where id = 2" >/dev/null
as_login petrova "update accounts_dep.norm set price = 13 where o_id = 1" >/dev/null
as_login petrova "update accounts_dep.vid_oper set vid = 'Сварка' where id = 1" >/dev/null
as_login petrova "update accounts_dep.oper set cena_new = 14 where id = 1" >/dev/null
as_login sys "select accounts_dep.h_tabel_rebuild_day(4, 2025, 1); select accounts_dep.h_tabel_rebuild_write(4, 2025)" >/dev/null
expect_value "the history of the changes" "$(cat <<'EOF'
petrova|smena|update|1001|1001|||{"brak": 0, "kol_vo": 10}|{"brak": 1, "kol_vo": 12}
petrova|smena_gds_use|update|1|1001|||{"f_qty_use": 1}|{"f_qty_use": 2}
petrova|person_temp|insert|2|2001||||{"id": 2, "id_smena": 2001, "id_person": 1}
petrova|person_temp|delete|2|2001|||{"id": 2, "id_smena": 2001, "id_person": 1}|
petrova|norm|update|1||1||{"price": 12.5}|{"price": 13}
petrova|vid_oper|update|1||||{"vid": "Сборка"}|{"vid": "Сварка"}
petrova|oper|update|1||1||{"cena_new": 12.5}|{"cena_new": 14}
sys|h_tabel|rebuild||||4.2025||
EOF
)" "$(recorded)"

# whole rows for insertions and deletions, with the login of whoever wrote them
as_login petrova "insert into accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, time) values (1003, '2025-03-15', 2, 201, 501, 1, 1.5, 3, 1)" >/dev/null
as_login petrova "delete from accounts_dep.smena where id = 1003" >/dev/null
expect_value "an insertion and a deletion keep the whole row" \
  "petrova insert 1003 3 1.5 2025-03-15|petrova delete 1003 3 1.5 2025-03-15" \
  "$(super -d "$db" -tAc "select string_agg(login || ' ' || action || ' ' || row_id || ' ' ||
       (coalesce(new, old) ->> 'kol_vo') || ' ' || (coalesce(new, old) ->> 'cena') || ' ' ||
       (coalesce(new, old) ->> 'data'), '|' order by id)
     from accounts_dep.history where subject = 'smena' and row_id = 1003")"
expect_value "the workstation is named" "local" \
  "$(super -d "$db" -tAc "select distinct client from accounts_dep.history where id > $start")"

# --- nobody writes or removes history; a clerk does not read it
NV006='NV006: История изменений не меняется и не удаляется.'
table <<EOF
petrova|42501|insert into accounts_dep.history (subject, action) values ('smena', 'insert')
petrova|42501|update accounts_dep.history set login = 'x'
petrova|42501|delete from accounts_dep.history
petrova|42501|truncate accounts_dep.history
zemplar|42501|insert into accounts_dep.history (subject, action) values ('smena', 'insert')
zemplar|42501|update accounts_dep.history set login = 'x'
zemplar|42501|delete from accounts_dep.history
econom|42501|insert into accounts_dep.history (subject, action) values ('smena', 'insert')
econom|42501|delete from accounts_dep.history
sys|42501|insert into accounts_dep.history (subject, action) values ('smena', 'insert')
sys|42501|update accounts_dep.history set login = 'x'
sys|42501|delete from accounts_dep.history
sys|42501|truncate accounts_dep.history
sys|42501|alter table accounts_dep.history disable trigger history_unchangeable
postgres|$NV006|update accounts_dep.history set login = 'x'
postgres|$NV006|delete from accounts_dep.history
postgres|$NV006|truncate accounts_dep.history
EOF
for login in sys zemplar econom petrova; do
  expect_value "what $login reads of the history" \
    "$([ $login = petrova ] && echo 0 || echo yes)" \
    "$(as_login $login "select case when count(*) > 0 then 'yes' else '0' end from accounts_dep.history")"
done

# --- who closes and reopens a month
NV005='NV005: Месяц закрыт: изменения невозможны.'
NV007='NV007: Закрыть месяц может только экономист или администратор.'
table <<EOF
petrova|$NV007|select accounts_dep.close_month(3, 2025)
zemplar|$NV007|select accounts_dep.close_month(3, 2025)
econom|ok|select accounts_dep.close_month(3, 2025)
sys|ok|select accounts_dep.close_month(3, 2025)
econom|42501|select accounts_dep.reopen_month(3, 2025)
petrova|42501|select accounts_dep.reopen_month(3, 2025)
econom|42501|insert into accounts_dep.closed_month (year, month) values (2025, 3)
sys|42501|delete from accounts_dep.closed_month
EOF
as_login econom "select accounts_dep.close_month(3, 2025)" >/dev/null

# --- a closed month refuses every kind of change; the next month does not
ins="insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, time) values"
table <<EOF
petrova|$NV005|$ins ('2025-03-20', 1, 201, 501, 1, 1, 1, 1)
petrova|$NV005|update accounts_dep.smena set kol_vo = 5 where id = 1001
petrova|$NV005|update accounts_dep.smena set data = '2025-04-03' where id = 1001
petrova|$NV005|update accounts_dep.smena set data = '2025-03-20' where id = 2001
petrova|$NV005|delete from accounts_dep.smena where id = 1001
petrova|$NV005|insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (1001, 901, 1)
petrova|$NV005|update accounts_dep.smena_gds_use set f_qty_use = 3 where id = 1
petrova|$NV005|delete from accounts_dep.smena_gds_use where id = 1
petrova|$NV005|insert into accounts_dep.person_temp (id_smena, id_person) values (1001, 1)
petrova|$NV005|delete from accounts_dep.person_temp where id = 1
petrova|$NV005|select accounts_dep.divide_between_person(1002)
petrova|$NV005|select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', true)
petrova|$NV005|select accounts_dep.h_tabel_rebuild_day(3, 2025, 1); select accounts_dep.h_tabel_rebuild_write(3, 2025)
zemplar|$NV005|select accounts_dep.smena__accept_row(1001)
sys|$NV005|delete from accounts_dep.smena where id = 1001
postgres|$NV005|update accounts_dep.smena set kol_vo = 5 where id = 1001
petrova|ok|$ins ('2025-04-20', 1, 201, 501, 1, 1, 1, 1)
petrova|ok|update accounts_dep.smena set kol_vo = 5 where id = 2001
petrova|ok|select accounts_dep.h_tabel_rebuild_day(4, 2025, 1); select accounts_dep.h_tabel_rebuild_write(4, 2025)
EOF
as_login sys "select accounts_dep.reopen_month(3, 2025)" >/dev/null
table <<EOF
petrova|ok|$ins ('2025-03-20', 1, 201, 501, 1, 1, 1, 1)
petrova|ok|update accounts_dep.smena set kol_vo = 5 where id = 1001
petrova|ok|delete from accounts_dep.smena_gds_use where id = 1
petrova|ok|select accounts_dep.h_tabel_rebuild_day(3, 2025, 1); select accounts_dep.h_tabel_rebuild_write(3, 2025)
EOF
expect_value "closing and reopening are in the history" "econom close 3.2025|sys reopen 3.2025" \
  "$(super -d "$db" -tAc "select string_agg(login || ' ' || action || ' ' || month || '.' || year, '|' order by id)
     from accounts_dep.history where subject = 'closed_month'")"

# --- a deleted position comes back from its history, with its day cell
as_login petrova "delete from accounts_dep.smena where id = 1001; select accounts_dep.h_tabel_set_day(201, 1, '2025-03-14', false)" >/dev/null
deletion=$(super -d "$db" -tAc "select id from accounts_dep.history where subject = 'smena' and action = 'delete' and row_id = 1001")
table <<EOF
petrova|42501|select accounts_dep.restore_position($deletion)
zemplar|42501|select accounts_dep.restore_position($deletion)
EOF
expect_value "the cell without the deleted position" "2" \
  "$(super -d "$db" -tAc "select d14 from accounts_dep.h_tabel where w_id = 201 and smena = 1 and month = 3 and year = 2025")"
expect_value "the administrator restores it" "1001" \
  "$(as_login sys "select accounts_dep.restore_position($deletion)")"
expect_value "the position as it was" "12|1|4|2025-03-14" \
  "$(super -d "$db" -tA -F'|' -c "select kol_vo, brak, time, data from accounts_dep.smena where id = 1001")"
expect_value "its cell follows" "6" \
  "$(super -d "$db" -tAc "select d14 from accounts_dep.h_tabel where w_id = 201 and smena = 1 and month = 3 and year = 2025")"
expect_value "the restore is in the history" "sys restore" \
  "$(super -d "$db" -tAc "select login || ' ' || action from accounts_dep.history where row_id = 1001 and subject = 'smena' order by id desc limit 1")"
check sys "NV010: Позиция уже восстановлена." "select accounts_dep.restore_position($deletion)"

echo "history rules: $passed passed, $failed failed"
[ "$failed" = 0 ]
