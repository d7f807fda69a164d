#!/usr/bin/env bash
# The built programs hold no password: none of the demo logins' (read from demo_logins.sql), in
# UTF-8 or in the UTF-16 of a QStringLiteral, and no built-in connection or service code.
#   no_secrets_test.sh ROLES_SQL PROGRAM...
set -euo pipefail
roles=$1
shift
mapfile -t passwords < <(grep -oE "\('[a-z_]+', *'[^']+'" "$roles" | sed -E "s/.*, *'([^']+)'/\1/")
[ ${#passwords[@]} -ge 3 ] || { echo "no demo passwords found in $roles"; exit 1; }
failed=0
for program in "$@"; do
  # dropping every NUL byte turns UTF-16 text of Latin letters into plain text
  text=$(mktemp)
  tr -d '\000' < "$program" > "$text"
  for p in "${passwords[@]}" "MSDASQL" "Persist Security Info"; do
    if grep -aqF -- "$p" "$text"; then
      echo "FAIL: $(basename "$program") holds \"$p\""
      failed=1
    fi
  done
  rm -f "$text"
done
[ $failed = 0 ] && echo "no password in the programs" || exit 1
