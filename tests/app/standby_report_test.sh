#!/usr/bin/env bash
# norv_report on a read-only copy: a streaming standby of the test cluster, made with
# pg_basebackup as an administrator would, serves the economist's reports; the report from
# the standby equals the primary's, including a position written after the copy was made.
#   standby_report_test.sh NORV_REPORT
# Needs the throw-away cluster of scripts/test (NORV_TEST_PGHOST, NORV_TEST_TEMPLATE).
set -euo pipefail
report=$1
primary=${NORV_TEST_PGHOST:?run through scripts/test}
template=${NORV_TEST_TEMPLATE:?run through scripts/test}
db=standby_$$
work=$(mktemp -d /tmp/norv-standby-XXXXXX)
chmod 0755 "$work"
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)

# the server's programs run as its own user: postgres when we are root
if [ "$(id -u)" = 0 ]; then
  as_server() { (cd / && runuser -u postgres -- "$@"); }
  chown postgres: "$work"
else
  as_server() { (cd / && "$@"); }
fi
super() { psql -X -q -tA -v ON_ERROR_STOP=1 -h "$1" -p 5432 -U postgres -d "$db" -c "$2"; }

cleanup() {
  as_server "$bindir/pg_ctl" -D "$work/data" -m immediate -w stop >/dev/null 2>&1 || true
  psql -X -q -h "$primary" -p 5432 -U postgres -d postgres \
    -c "drop database if exists $db with (force)" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

psql -X -q -v ON_ERROR_STOP=1 -h "$primary" -p 5432 -U postgres -d postgres \
  -c "create database $db template $template owner norv_owner" >/dev/null
super "$primary" "
  insert into cmn_contractor.person(s_code, s_caption) values ('101', 'Иванов И.И.'), ('102', 'Петров П.П.');
  insert into accounts_dep.izdel(id, marka, nom, massa) values (1, 'КМ-1', 'Шкаф', 2.5);
  insert into accounts_dep.vid_oper(id, vid) values (1, 'Сварка');
  insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 1, 1, 0);
  insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time) values
    ('2026-02-02', 1, 101, 1, 1, 10.5, 10, 1, 8), ('2026-02-10', 2, 102, 1, 1, 2.25, 4, 0, 3);" >/dev/null

# the copy, as the administrator's guide makes it: a base backup that follows the primary
as_server mkdir -p "$work/run"
as_server "$bindir/pg_basebackup" -h "$primary" -p 5432 -U postgres -D "$work/data" -R \
  -X stream -c fast >/dev/null
cat <<CONF | as_server tee -a "$work/data/postgresql.conf" >/dev/null
unix_socket_directories = '$work/run'
listen_addresses = ''
hot_standby = on
CONF
as_server "$bindir/pg_ctl" -D "$work/data" -l "$work/standby.log" -w -t 60 start >/dev/null
standby=$work/run
[ "$(super "$standby" "select pg_is_in_recovery()")" = t ] || { echo "FAIL: not a standby"; exit 1; }

# written after the copy: it reaches the standby through the stream
super "$primary" "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, time)
                  values ('2026-02-20', 1, 102, 1, 1, 7, 3, 2)" >/dev/null
received=
for _ in $(seq 300); do
  received=$(super "$standby" "select count(*) from accounts_dep.smena" 2>&1 || true)
  [ "$received" = 3 ] && break
  sleep 0.1
done
[ "$received" = 3 ] ||
  { echo "FAIL: the standby did not receive the position written after the copy: $received"; exit 1; }

echo econom-demo > "$work/password"
for side in primary standby; do
  host=$primary
  [ $side = standby ] && host=$standby
  if ! "$report" "$host" "$db" econom workers --from 01.02.2026 --to 01.03.2026 \
      --password-file "$work/password" --pdf "$work/$side.pdf" 2>"$work/$side.err"; then
    echo "FAIL: the report from the $side: $(cat "$work/$side.err")"
    exit 1
  fi
  pdftotext -layout "$work/$side.pdf" "$work/$side.txt"
done
grep -q "Петров" "$work/standby.txt" || { echo "FAIL: the standby's report is empty"; exit 1; }
if ! diff -u "$work/primary.txt" "$work/standby.txt"; then
  echo "FAIL: the standby's report differs from the primary's"
  exit 1
fi
echo "the report from the standby equals the primary's"
