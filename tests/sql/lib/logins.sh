# Sourced by the tests of what each login may do through psql: a fresh database from the
# test template, and statements run as a login, each in a transaction rolled back, with the
# outcome compared to what a table of cases expects.
: "${NORV_TEST_PGHOST:?run the tests through scripts/test}"
: "${NORV_TEST_TEMPLATE:?run the tests through scripts/test}"
super() { psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U postgres -v ON_ERROR_STOP=1 "$@"; }
password() { if [ "$1" = sys ]; then echo sysdemo; else echo "$1-demo"; fi; }
failed=0
passed=0

# A fresh database named $1 from the template, as norv_admin install leaves it.
make_database() {
  super -d postgres -c "create database $1 template $NORV_TEST_TEMPLATE owner norv_owner" \
    -c "revoke temporary on database $1 from public" -c "grant temporary on database $1 to norv_writer"
}

# Runs a statement as a login, rolled back; prints "ok" or "SQLSTATE: message".
outcome() {
  local login=$1 statement=$2 out
  out=$(printf '\\set VERBOSITY verbose\nbegin;\n%s;\nrollback;\n' "$statement" \
        | PGPASSWORD=$(password "$login") psql -X -q -h "$NORV_TEST_PGHOST" -p 5432 -U "$login" \
            -d "$db" -v ON_ERROR_STOP=1 2>&1 >/dev/null)
  if [ -z "$out" ]; then echo ok; return; fi
  printf '%s\n' "$out" | sed -n 's/^ERROR:  //p' | head -1
}

# Runs statements as a login and keeps what they did; prints what the last one reads.
as_login() {
  PGPASSWORD=$(password "$1") psql -X -q -t -A -h "$NORV_TEST_PGHOST" -p 5432 -U "$1" -d "$db" \
    -v ON_ERROR_STOP=1 -c "$2" 2>&1
}

# expected: "ok", a SQLSTATE ("42501": no right), or "SQLSTATE: exact message"
check() {
  local login=$1 expected=$2 statement=$3 got
  got=$(outcome "$login" "$statement")
  if [ "$got" = "$expected" ] || { [ "${#expected}" = 5 ] && [ "${got%%:*}" = "$expected" ]; }; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $login: $statement" >&2
    echo "    expected: $expected" >&2
    echo "    got:      $got" >&2
  fi
}

# Lines "login|expected|statement"; empty lines and lines starting with # are skipped.
table() {
  local login expected statement
  while IFS='|' read -r login expected statement; do
    [ -z "$login" ] || [ "${login:0:1}" = '#' ] && continue
    check "$login" "$expected" "$statement"
  done
}

# A value read against the one expected.
expect_value() { # description expected actual
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s\n    expected: %s\n    got:      %s\n' "$1" "$2" "$3" >&2
  fi
}
