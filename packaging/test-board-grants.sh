#!/usr/bin/env bash
# board-grants.sql against the private server: the board's own queries pass with the
# account it creates (the board's database test, run as that account), and the account
# can neither write nor read the agents' passwords.
#   test-board-grants.sh <board-grants.sql> <board_db_tests> <client.cnf> [<fallback client.cnf>]
# Needs the server's administrator (root over the server's socket): skipped (77)
# where this user cannot be it.
set -uo pipefail

GRANTS="$1" TESTS="$2" CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
[ -f "$CNF" ] || { echo "board-grants: no $CNF (scripts/db start)" >&2; exit 1; }
ACCOUNT="zelbg$$" PASSWORD="pw-$$-$RANDOM" FAILURES=0
WORK="$(mktemp -d /tmp/zelagent-board-grants-XXXXXX)"

dev() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
SOCKET="$(dev 'select @@socket')" || exit 1
admin() { mariadb --no-defaults -uroot --socket="$SOCKET" -N -B NEW_XAN "$@"; }
if ! admin -e 'select 1' >/dev/null 2>&1; then
  echo "board-grants: the server's administrator is not reachable as $(id -un); skipped"
  exit 77
fi
trap 'admin -e "drop user if exists '"'$ACCOUNT'@'%'"'"; rm -rf "$WORK"' EXIT

sed -e "s/@ACCOUNT@/$ACCOUNT/g" -e "s/@PASSWORD@/$PASSWORD/g" "$GRANTS" | admin || exit 1
printf '[client]\nuser=%s\npassword=%s\nhost=127.0.0.1\nport=%s\n' "$ACCOUNT" "$PASSWORD" \
  "$(dev 'select @@port')" >"$WORK/board.cnf"

ZEL_BOARD_CNF="$WORK/board.cnf" "$TESTS" || FAILURES=$((FAILURES + 1))

while read -r sql; do
  got="$(mariadb --defaults-file="$WORK/board.cnf" -N -B NEW_XAN -e "$sql" 2>&1 </dev/null)"
  if [[ "$got" == *"ERROR 114"[23]* ]]; then echo "board-grants: ok: refused: $sql"; else
    echo "board-grants: FAIL: not refused: $sql: $got" >&2
    FAILURES=$((FAILURES + 1))
  fi
done <<SQL
select PASSWORD from USER_AGENT_INFO
select CUST_INFO from REQ_XAN
update TRANSFER_NUM_INFO set IS_READY = 1 where SVC_ID = 0
update TRANSFER_HIST set AGENT_NM = '' where XAN_ID = 0
delete from REQ_XAN where XAN_ID = 0
SQL

[ "$FAILURES" -eq 0 ] && echo "board-grants: all passed" || echo "board-grants: $FAILURES failure(s)" >&2
[ "$FAILURES" -eq 0 ]
