#!/usr/bin/env bash
# agent-grants.sql against the private server: every statement the console sends
# passes with the account it creates, and writes beyond the agent's work are refused.
#   test-grants.sh <agent-grants.sql> <client.cnf> [<fallback client.cnf>]
# Needs the server's administrator (root over the server's socket): skipped (77)
# where this user cannot be it.
set -uo pipefail

GRANTS="$1" CNF="${ZEL_DB_CLIENT_CNF:-$2}"
if [ ! -f "$CNF" ] && [ -f "${3:-}" ]; then CNF="$3"; fi
[ -f "$CNF" ] || { echo "grants: no $CNF (scripts/db start)" >&2; exit 1; }
ACCOUNT="zelgrants$$" PASSWORD="pw-$$-$RANDOM-'\\&" SVC=571 TEL=5571 XAN=571001
FAILURES=0 WORK="$(mktemp -d /tmp/zelagent-grants-XXXXXX)"

dev() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
SOCKET="$(dev 'select @@socket')" || exit 1
admin() { mariadb --no-defaults -uroot --socket="$SOCKET" -N -B NEW_XAN "$@"; }
if ! admin -e 'select 1' >/dev/null 2>&1; then
  echo "grants: the server's administrator is not reachable as $(id -un); skipped"
  exit 77
fi
cleanup() {
  dev "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC; delete from REQ_XAN where XAN_ID = $XAN;
       delete from AGENT_STATE_HIST where SVC_ID = $SVC;
       delete from TRANSFER_HIST where XAN_ID = $XAN; delete from USER_AGENT_INFO where USER_ID = 'grants1'"
  admin -e "drop user if exists '$ACCOUNT'@'%'"
  rm -rf "$WORK"
}
trap cleanup EXIT

# Filled in as the README tells operators (builtins only: the password on no command line).
# shellcheck disable=SC1003 # a backslash in single quotes is the text meant
PW=${PASSWORD//'\'/'\\'}; PW=${PW//"'"/"\\'"}
SQL=$(<"$GRANTS"); SQL=${SQL//@ACCOUNT@/$ACCOUNT}
printf '%s\n' "${SQL//@PASSWORD@/"$PW"}" | admin || exit 1
printf '[client]\nuser=%s\npassword="%s"\nhost=127.0.0.1\nport=%s\n' "$ACCOUNT" "${PASSWORD//\\/\\\\}" \
  "$(dev 'select @@port')" >"$WORK/agent.cnf"
agent() { mariadb --defaults-file="$WORK/agent.cnf" -N -B NEW_XAN -e "$1" 2>&1 </dev/null; }

dev "insert into USER_AGENT_INFO values ('grants1', '권한', 'pw');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', 'grants1');
     insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO) values ($XAN, $SVC, '고객');
     insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, CONF_TIME)
       values ($XAN, $SVC, '$TEL', date_format(now(), '%Y%m%d'), 30)" || exit 1

# The console's statements, in the order of a sign-in and one call, with what they read.
TODAY="$(date +%Y%m%d)"
while IFS='|' read -r expected sql; do
  got="$(agent "$sql")"
  if [ "$got" == "$expected" ]; then echo "grants: ok: $sql"; else
    echo "grants: FAIL: $sql: expected '$expected', got '$got'" >&2
    FAILURES=$((FAILURES + 1))
  fi
done <<SQL
MYSQL|select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'
pw|select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'grants1' and AGENT_NM = '권한'
$TEL|select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'grants1' and SVC_ID = $SVC and TEL_NUM = '$TEL'
|update TRANSFER_NUM_INFO set IS_READY = 0, STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now())) where SVC_ID = $SVC and TEL_NUM = '$TEL'
NULL	NULL	NULL	0|select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO where SVC_ID = $SVC and TEL_NUM = '$TEL'
고객	NULL	NULL	NULL|select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from REQ_XAN where XAN_ID = $XAN
|update TRANSFER_HIST set AGENT_NM = '권한' where XAN_ID = $XAN
|update TRANSFER_HIST set CONSULT_RESULT = '01', COMMENT = '메모' where XAN_ID = $XAN
1	30|select count(*) CNT, sum(CONF_TIME) CONF_TIME from TRANSFER_HIST where SVC_ID = $SVC and CONF_DT = '$TODAY' and AGENT_NM = '권한'
N|select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'STATE_HIST'
|select CD_ID, CD_NM from CODE_INFO where CD_GRP = 'BREAK_REASON' order by CD_ID limit 1
|insert ignore into AGENT_STATE_HIST (USER_ID, AGENT_NM, SVC_ID, TEL_NUM, STATE, REASON_CD, START_TIME) values ('grants1', '권한', $SVC, '$TEL', 4, '01', '2026-12-08 12:00:00.000')
SQL

# Beyond the agent's work: other columns, other writes, other tables.
while read -r sql; do
  got="$(agent "$sql")"
  if [[ "$got" == *"ERROR 114"[23]* ]]; then echo "grants: ok: refused: $sql"; else
    echo "grants: FAIL: not refused: $sql: $got" >&2
    FAILURES=$((FAILURES + 1))
  fi
done <<SQL
update USER_AGENT_INFO set PASSWORD = 'x' where USER_ID = 'grants1'
update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1 where SVC_ID = $SVC
update TRANSFER_HIST set CONF_TIME = 0 where XAN_ID = $XAN
insert into TRANSFER_HIST (XAN_ID, SVC_ID) values ($((XAN + 1)), $SVC)
delete from REQ_XAN where XAN_ID = $XAN
select START_TIME from TRANSFER_HIST where XAN_ID = $XAN
select STATE from AGENT_STATE_HIST where SVC_ID = $SVC
update AGENT_STATE_HIST set STATE = 3 where SVC_ID = $SVC
delete from AGENT_STATE_HIST where SVC_ID = $SVC
create table GRANTS_PROBE (a int)
select User from mysql.user
SQL

[ "$FAILURES" -eq 0 ] && echo "grants: all passed" || echo "grants: $FAILURES failure(s)" >&2
[ "$FAILURES" -eq 0 ]
