#!/usr/bin/env bash
# norv_admin's refusals, each with its Russian message and exit code: a database newer
# than the tool, an install without --demo into a database that lacks enterprise
# objects, a login that is not a superuser, a password on the command line, no schema.
set -uo pipefail
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
: "${NORV_TEST_TEMPLATE:?run the tests through scripts/test}"
root=$(cd "$(dirname "$0")/../.." && pwd)
admin=$root/admin/norv_admin
newer=refuse_newer_$$_$RANDOM
bare=refuse_bare_$$_$RANDOM
partial=refuse_partial_$$_$RANDOM
super() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
cleanup() {
  local d
  for d in "$newer" "$bare" "$partial"; do
    super -d postgres -c "drop database if exists $d with (force)" >/dev/null 2>&1
  done
}
trap cleanup EXIT
super -d postgres -c "create database $newer template $NORV_TEST_TEMPLATE owner norv_owner" \
  -c "create database $bare owner norv_owner template template0" \
  -c "create database $partial owner norv_owner template template0" >/dev/null || exit 1
super -d "$newer" -c "insert into accounts_dep.schema_version (version, description) values (9999, 'из будущего')" >/dev/null || exit 1
# an enterprise database without the materials' consignments and without a person's name
super -1 -d "$partial" -f "$root/data/sql/demo_enterprise.sql" >/dev/null || exit 1
super -d "$partial" -c "drop table cmn_gds_and_srv.consignment cascade" \
  -c "alter table cmn_contractor.person drop column s_caption" >/dev/null || exit 1

failed=0
# case: description | expected exit code | expected text in stderr | env | arguments
while IFS='|' read -r what code text env args; do
  [ -z "$what" ] && continue
  err=$(env $env bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 $args 2>&1 >/dev/null)
  got=$?
  if [ "$got" = "$code" ] && grep -qF -- "$text" <<<"$err"; then
    echo "ok: $what"
  else
    echo "FAIL: $what: exit $got (want $code), said: $err"
    failed=1
  fi
done <<CASES
upgrade of a newer database|3|база данных версии 9999 новее этого norv_admin||-d $newer upgrade
install into a newer database|3|база данных версии 9999 новее этого norv_admin||-d $newer install --demo
status of a newer database|3||NORV_SITE_SETTINGS=/nonexistent|-d $newer status
missing enterprise table named|4|нет таблицы или представления cmn_gds_and_srv.consignment||-d $partial install
missing enterprise column named|4|нет столбца cmn_contractor.person.s_caption||-d $partial install
empty database: every enterprise object missing|4|нет домена public.t_id||-d $bare install
upgrade without the program's schema|3|сначала norv_admin install||-d $bare upgrade
not a superuser|5|нужна роль суперпользователя, а «econom» им не является|PGPASSWORD=econom-demo|-U econom -d $newer upgrade
backup not as a superuser|5|нужна роль суперпользователя|PGPASSWORD=econom-demo|-U econom -d $newer backup /dev/null
a password on the command line|2|пароль не передаётся в командной строке||-W -d $newer status
an unknown command|2|неизвестная команда «uninstall»||-d $newer uninstall
backup without a file|2|не указан файл||-d $newer backup
CASES
# a re-run of install, and of the demo logins, leaves a login's password and settings alone
keep=refuse_keep_$$_$RANDOM
again=refuse_again_$$_$RANDOM
super -d postgres -c "set password_encryption = 'scram-sha-256'" \
  -c "create role $keep login password 'keep-1' in role norv_writer" \
  -c "alter role $keep set work_mem = '7MB'" \
  -c "create database $again template $NORV_TEST_TEMPLATE owner norv_owner" >/dev/null || exit 1
trap 'cleanup; super -d postgres -c "drop database if exists $again with (force)" -c "drop role if exists $keep" >/dev/null 2>&1' EXIT
out=$(bash "$admin" -h "$NORV_TEST_PGHOST" -p 5432 -d "$again" install 2>&1)
code=$?
super -d postgres -f "$root/data/sql/demo_logins.sql" >/dev/null || exit 1
if [ $code = 0 ] && grep -qF "Схема программы уже установлена (версия" <<<"$out" \
   && [ "$(PGPASSWORD=keep-1 psql -X -t -A -h "$NORV_TEST_PGHOST" -p 5432 -U "$keep" -d "$again" -c "show work_mem")" = 7MB ]; then
  echo "ok: a re-run of install keeps a login's password and settings"
else
  echo "FAIL: a re-run of install: exit $code, said: $out"; failed=1
fi
# nothing was installed where the check failed
[ "$(super -d "$partial" -tAc "select to_regclass('accounts_dep.smena') is null")" = t ] \
  && echo "ok: a failed check installs nothing" || { echo "FAIL: a failed check installed the schema"; failed=1; }
[ $failed = 0 ] && echo "norv_admin refuses as it should" || exit 1
