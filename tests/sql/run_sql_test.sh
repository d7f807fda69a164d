#!/usr/bin/env bash
# Runs a psql test script on a fresh copy of the test template database.
set -euo pipefail
script=$1
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
: "${NORV_TEST_TEMPLATE:?run the tests through scripts/test}"
db=sqltest_$$_$RANDOM
su() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
su -d postgres -c "create database $db template $NORV_TEST_TEMPLATE owner sys"
trap 'su -d postgres -c "drop database if exists $db" >/dev/null 2>&1 || true' EXIT
su -d "$db" -f "$script"
