#!/usr/bin/env bash
# The deployment with one database account per agent, on a server of its own (run it
# under tests/fault/netns.sh and xvfb-run): zelagent-agent-account makes NEW_XAN a
# database of views and adds the agents' accounts; the real program then works a day
# through the views with its statements as they always are; and what an insider would
# type with the same account is refused by the server, leaving the other agent's rows
# as they were.
#   hardened_day.sh <zelagent> <zelagent-callcenter>
# shellcheck disable=SC2317,SC2016,SC2034 # functions run through check and eval; globals read by desk_lib.sh
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"

TAG=hardened SVC=590 TEL=5901 USER_ID=hd1 AGENT=김하드 PASSWORD=pw-hd1
XAN=590001 XAN_FIRST=590000 XAN_LAST=590999
# shellcheck source=../e2e/desk_lib.sh disable=SC1091
source "$ROOT/tests/e2e/desk_lib.sh" "$1" "$2" "$FAULT_DB_HOME/db/client.cnf"
export NO_AT_BRIDGE=1
ACCOUNTS="$ROOT/packaging/zelagent-agent-account"
TODAY="$(date +%Y%m%d)"

ZEL_BUILD_DIR="$FAULT_DB_HOME" "$ROOT/scripts/db" start >/dev/null || exit 1
# The server's administrator (root over its socket) and the tables under the views.
printf '[client]\nuser=root\nsocket=%s\n' "$(mariadb --defaults-file="$CNF" -N -e 'select @@socket')" \
  >"$RUN_DIR/admin.cnf"
sql() { mariadb --defaults-file="$RUN_DIR/admin.cnf" -N -B NEW_XAN_DATA -e "$1"; }
accounts() { "$ACCOUNTS" --admin-cnf "$RUN_DIR/admin.cnf" "$@"; }
# An option file for an account; the password never on a command line.
write_cnf() {
  printf '[client]\nuser=%s\npassword="%s"\nhost=127.0.0.1\nport=8907\n' "$2" "${3//\\/\\\\}" >"$1"
  chmod 600 "$1"
}

# ---- the operator's set-up: twice, to show it can be run again ----
CC_PW="cc-$$-$RANDOM" # the call centre's own account, on the tables under the views
check "setup" accounts setup >/dev/null
check "setup again" accounts setup >/dev/null
sql "insert into USER_AGENT_INFO values ('hd1', '김하드', 'pw-hd1'), ('hd2', '이피해', 'pw-hd2');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (590, '5901', 'hd1');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, TRANSFER_STATUS, XAN_ID)
       values (590, '5902', 'hd2', 0, 1, 590003);
     insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO) values (590002, 590, '남의 고객'),
       (590003, 590, '남의 새 고객'), (590004, 590, '내 지난 고객');
     insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, CONF_TIME, AGENT_NM, CONSULT_RESULT, COMMENT)
       values (590002, 590, '5902', '$TODAY', 40, '이피해', '01', '남의 메모'),
              (590003, 590, '5902', '$TODAY', 0, '', null, null),
              (590004, 590, '5901', '$TODAY', 0, '', null, null);
     create user callcentre@'127.0.0.1' identified by '$CC_PW';
     grant select, insert, update on NEW_XAN_DATA.* to callcentre@'127.0.0.1'" || exit 1
printf "agent-%s-%s'\\&\\n" $$ $RANDOM >"$RUN_DIR/hd1.pw" # a quote, a backslash and & too
printf 'agent-%s-%s\n' $$ $RANDOM >"$RUN_DIR/hd2.pw"
chmod 600 "$RUN_DIR"/*.pw
check "add agent_hd1" accounts add agent_hd1 hd1 --password-file "$RUN_DIR/hd1.pw" >/dev/null
check "add agent_hd2" accounts add agent_hd2 hd2 --host 127.0.0.1 --password-file "$RUN_DIR/hd2.pw" >/dev/null
check "an unknown USER_ID is refused" eval '! accounts add agent_x nobody --password-file "$RUN_DIR/hd1.pw" 2>/dev/null'
check "a quote in an account name is refused" eval "! accounts add \"a'b\" hd1 --password-file \"$RUN_DIR/hd1.pw\" 2>/dev/null"
expect_eq "the mapping" "agent_hd1 hd1 agent_hd2 hd2" "$(accounts list | tr '\t\n' '  ' | sed 's/ $//')"
write_cnf "$RUN_DIR/hd1.cnf" agent_hd1 "$(cat "$RUN_DIR/hd1.pw")"
write_cnf "$RUN_DIR/callcentre.cnf" callcentre "$CC_PW"
CALLCENTRE=("$CALLCENTER" --cnf "$RUN_DIR/callcentre.cnf" --db NEW_XAN_DATA)

# ---- the agent's day through the views, with the agent's own account ----
mkdir -p "$RUN_DIR/Env"
cp "$RUN_DIR/hd1.cnf" "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
  "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"
desk() { sql "select $1 from TRANSFER_NUM_INFO where SVC_ID = $SVC and TEL_NUM = '$TEL'"; }

start_and_sign_in || exit 1
expect_eq "IS_READY after sign-in" 0 "$(desk IS_READY)"
"${CALLCENTRE[@]}" transfer --svc $SVC --tel $TEL --xan $XAN --phone 0212345678 --cust "홍길동 고객님" >/dev/null
stamped() { [ "$(hist AGENT_NM)" == "$AGENT" ]; }
check "the call stamped with the agent's name" wait_for 30 stamped
check "title ZELAgent-$TEL-통화중" wait_for 20 title_is "ZELAgent-$TEL-통화중"
sleep 0.5
click_du 95 117 43 12
click_du 51 131 271 66
xdotool type --delay 20 "hardened memo"
click_du 327 117 50 25
check "the registration's box answered" eval 'answer_box "알림" && wait_for 30 no_window "알림"'
expect_eq "result and memo" "03/hardened memo" "$(hist "concat(CONSULT_RESULT, '/', COMMENT)")"
"${CALLCENTRE[@]}" hangup --svc $SVC --tel $TEL >/dev/null
check "ready after the call" wait_for 30 title_is "ZELAgent-$TEL-대기중"
focus 'ZELAgent-*'
xdotool key F3
check "on break" wait_for 30 title_is "ZELAgent-$TEL-휴식중"
expect_eq "IS_READY on break" 1 "$(desk IS_READY)"
xdotool key F2
check "ready again" wait_for 30 title_is "ZELAgent-$TEL-대기중"
xdotool key alt+F4
check "confirmation on close" answer_box "에러"
check "the program ended after the close" reap_agent && expect_eq "exit status after close" 0 "$STATUS"
expect_eq "desk after close" "1/00000000000000" "$(desk "concat(IS_READY, '/', STATUS_START_TIME)")"
check "no database error box" eval "! grep -q '데이터베이스 오류' '$RUN_DIR/agent.log'"

# Every statement of the day reached the server as the program always sends it.
awk -F'\t' '{ for (i = 1; i < NF; i++) if ($i ~ / Query$/) { s = $(i + 1); sub(/[ ;]+$/, "", s); print s } }' \
  "$FAULT_DB_HOME/db/general.log" >"$RUN_DIR/statements"
while IFS= read -r statement; do
  check "sent as is: $statement" grep -qxF "$statement" "$RUN_DIR/statements"
done <<SQL
select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'
select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'hd1' and AGENT_NM = '김하드'
select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'hd1' and SVC_ID = 590 and TEL_NUM = '5901'
update TRANSFER_NUM_INFO set IS_READY = 0, STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now())) where SVC_ID = 590 and TEL_NUM = '5901'
select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO where SVC_ID = 590 and TEL_NUM = '5901'
update TRANSFER_HIST set AGENT_NM = '김하드' where XAN_ID = 590001
select CUST_INFO, CUST_INFO2, CUST_INFO3, CUST_INFO4 from REQ_XAN where XAN_ID = 590001
update TRANSFER_HIST set CONSULT_RESULT = '03', COMMENT = 'hardened memo' where XAN_ID = 590001
select count(*) CNT, sum(CONF_TIME) CONF_TIME from TRANSFER_HIST where SVC_ID = 590 and CONF_DT = '$TODAY' and AGENT_NM = '김하드'
update TRANSFER_NUM_INFO set IS_READY = 1, STATUS_START_TIME = concat(F_MY_DATE(now()), F_MY_TIME(now())) where SVC_ID = 590 and TEL_NUM = '5901'
update TRANSFER_NUM_INFO set IS_READY = 1, STATUS_START_TIME = '00000000000000' where SVC_ID = 590 and TEL_NUM = '5901'
SQL

# ---- an insider at the same desk, with the same account and the standard client ----
# The output, or only the error line of a refusal (the client echoes the statement too).
agent() {
  local out
  out="$(mariadb --defaults-file="$RUN_DIR/hd1.cnf" -N -B NEW_XAN -e "$1" 2>&1 </dev/null)"
  grep -m1 '^ERROR' <<<"$out" || printf '%s\n' "$out"
}
# Everything that is not the insider's own: the other agent's rows and calls, every
# customer, the accounts and the tables.
others() {
  sql "select md5(concat_ws('#',
    (select group_concat(concat_ws('|', USER_ID, AGENT_NM, PASSWORD)) from USER_AGENT_INFO where USER_ID <> 'hd1'),
    (select group_concat(concat_ws('|', SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME, XAN_ID, TRANSFER_STATUS))
       from TRANSFER_NUM_INFO where USER_ID <> 'hd1'),
    (select group_concat(concat_ws('|', XAN_ID, AGENT_NM, CONF_TIME, CONSULT_RESULT, COMMENT) order by XAN_ID)
       from TRANSFER_HIST where TEL_NUM <> '5901'),
    (select group_concat(concat_ws('|', XAN_ID, CUST_INFO) order by XAN_ID) from REQ_XAN),
    (select group_concat(concat_ws('|', USER_ID, TEL_NUM, STATE, START_TIME)) from AGENT_STATE_HIST),
    (select count(*) from mysql.global_priv), (select count(*) from information_schema.TABLES
       where TABLE_SCHEMA in ('NEW_XAN', 'NEW_XAN_DATA'))))"
}
# The console's own history row goes in (where the floor switches the history on).
HIST_COLUMNS="(USER_ID, AGENT_NM, SVC_ID, TEL_NUM, STATE, REASON_CD, START_TIME)"
expect_eq "a history row of the agent's own desk" 1 "$(agent "insert ignore into AGENT_STATE_HIST $HIST_COLUMNS values ('hd1', '김하드', 590, '5901', 4, '01', '2026-12-08 12:00:00.000'); select row_count()")"
before="$(others)"
# expected|statement: "ERROR n" for a refusal with that code, else the exact output (a
# statement followed by row_count() prints how many rows it changed). A change to a
# column no agent may write is refused as 1356 (the views' definer may not write it
# either); the one row the mass stamp changes is the untouched call of the insider's
# own desk, which is theirs to take.
while IFS='|' read -r expected statement; do
  got="$(agent "$statement")"
  case "$expected" in
    ERROR*) [[ "$got" == "$expected"* ]] ;;
    *) [ "$got" == "$expected" ] ;;
  esac
  # shellcheck disable=SC2181 # the status of the case above
  if [ $? -eq 0 ]; then note "ok: refused: $statement"; else
    fail "not refused: $statement: expected '$expected', got '$got'"
  fi
done <<SQL
|select PASSWORD from USER_AGENT_INFO where USER_ID = 'hd2'
hd1=pw-hd1|select group_concat(USER_ID, '=', PASSWORD) from USER_AGENT_INFO
ERROR 1142|select PASSWORD from NEW_XAN_DATA.USER_AGENT_INFO
ERROR 1142|select * from NEW_XAN_DATA.AGENT_ACCOUNT
1|select count(*) from REQ_XAN
|select CUST_INFO from REQ_XAN where XAN_ID in (590002, 590003)
ERROR 1369|update TRANSFER_HIST set CONSULT_RESULT = '01' where XAN_ID = 590004
ERROR 1369|update TRANSFER_HIST set AGENT_NM = '이피해' where XAN_ID = 590001
0|update TRANSFER_HIST set AGENT_NM = '김하드' where XAN_ID = 590003; select row_count()
0|update TRANSFER_HIST set CONSULT_RESULT = '07', COMMENT = '덮어쓰기' where XAN_ID = 590002; select row_count()
1|update TRANSFER_HIST set AGENT_NM = '김하드'; select row_count()
ERROR 1356|update TRANSFER_HIST set CONF_TIME = 9999 where XAN_ID = 590001
0|update TRANSFER_NUM_INFO set IS_READY = 1; select row_count()
ERROR 1356|update TRANSFER_NUM_INFO set USER_ID = 'hd1' where TEL_NUM = '5902'
ERROR 1356|update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0 where TEL_NUM = '5901'
ERROR 1142|insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, AGENT_NM, CONF_TIME) values (590009, 590, '5901', '김하드', 3600)
ERROR 1142|delete from TRANSFER_HIST where XAN_ID = 590002
ERROR 1142|delete from USER_AGENT_INFO
ERROR 1142|drop view TRANSFER_HIST
ERROR 1142|create or replace view USER_AGENT_INFO as select * from NEW_XAN_DATA.USER_AGENT_INFO
ERROR 1044|create function F_ALL() returns text return (select group_concat(PASSWORD) from NEW_XAN_DATA.USER_AGENT_INFO)
ERROR 1142|show create view USER_AGENT_INFO
ERROR 1044|grant select on NEW_XAN.* to 'agent_hd2'@'127.0.0.1'
ERROR 1044|set password for 'agent_hd2'@'127.0.0.1' = password('taken-over')
ERROR 1142|select User, authentication_string from mysql.global_priv
ERROR 1227|select CUST_INFO from REQ_XAN into outfile '/tmp/zelagent-customers'
NULL|select load_file('$RUN_DIR/hd2.pw')
0|select count(*) from information_schema.TABLES where TABLE_SCHEMA = 'NEW_XAN_DATA'
ERROR 1369|insert into AGENT_STATE_HIST $HIST_COLUMNS values ('hd2', '이피해', 590, '5902', 4, '', '2026-12-08 12:00:00.000')
ERROR 1369|insert ignore into AGENT_STATE_HIST $HIST_COLUMNS values ('hd1', '김하드', 590, '5902', 1, '', '2026-12-08 12:00:00.000')
ERROR 1142|select * from AGENT_STATE_HIST
ERROR 1142|delete from AGENT_STATE_HIST
SQL
expect_eq "the other agent's rows after the insider" "$before" "$(others)"

# ---- the operator removes the account: it can no longer log in ----
check "remove agent_hd1" accounts remove agent_hd1 >/dev/null
check "agent_hd1 cannot log in" eval '[[ "$(agent "select 1")" == "ERROR 1045"* ]]'
expect_eq "the mapping after the removal" "agent_hd2 hd2" "$(accounts list | tr '\t\n' '  ' | sed 's/ $//')"

[ "$FAILURES" -eq 0 ] || exit 1
note "all passed"
