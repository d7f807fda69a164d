#!/usr/bin/env bash
# Runs a psql test script on a fresh copy of the test template database.
set -euo pipefail
script=$1
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
: "${NORV_TEST_TEMPLATE:?run the tests through scripts/test}"
db=sqltest_$$_$RANDOM
su() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
# a copy does not inherit the template's database rights: no temporary tables for readers
su -d postgres -c "create database $db template $NORV_TEST_TEMPLATE owner norv_owner" \
  -c "revoke temporary on database $db from public" -c "grant temporary on database $db to norv_writer"
trap 'su -d postgres -c "drop database if exists $db" >/dev/null 2>&1 || true' EXIT
su -d "$db" -f "$script"
