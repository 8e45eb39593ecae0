#!/usr/bin/env bash
# One agent's shift with the real zelagent under X (run it under xvfb-run), driven with
# xdotool against the private database, calls transferred by zelagent-callcenter.
#   console_e2e.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 560, TEL_NUM '5560', XAN_ID 560001, USER_ID 'e2e1'.
# shellcheck disable=SC2317 # the functions run through check and wait_for
set -uo pipefail

ZELAGENT="$(realpath "$1")" CALLCENTER="$(realpath "$2")" CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
export GDK_BACKEND=x11 NO_AT_BRIDGE=1 GTK_THEME=Adwaita
# The plain GTK input method whatever the machine has installed (ibus, for instance).
export GTK_IM_MODULE=gtk-im-context-simple
SVC=560 TEL=5560 USER_ID=e2e1 AGENT=김이투 PASSWORD=pw-e2e AGENT_PID="" FAILURES=0
RUN_DIR="$(mktemp -d /tmp/zelagent-e2e-XXXXXX)"

sql() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
note() { echo "e2e: $*"; }
fail() { echo "e2e: FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); return 1; }
# check <what> <command...>: the command's success noted, its failure counted.
check() { if "${@:2}"; then note "ok: $1"; else fail "$1"; fi; }
expect_eq() { check "$1: expected '$2', got '$3'" [ "$2" == "$3" ]; }
cleanup_rows() {
  sql "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC;
       delete from REQ_XAN where XAN_ID between 560000 and 569999;
       delete from TRANSFER_HIST where XAN_ID between 560000 and 569999;
       delete from USER_AGENT_INFO where USER_ID = '$USER_ID'"
}
finish() {
  [ -n "$AGENT_PID" ] && kill -KILL "$AGENT_PID" 2>/dev/null
  [ "$FAILURES" -gt 0 ] && { echo "e2e: $FAILURES failure(s); the program's output:"; cat "$RUN_DIR/agent.log"; } >&2
  cleanup_rows
  rm -rf "$RUN_DIR"
}
trap finish EXIT

# wait_for <tenths of a second> <command...>: until the command succeeds.
wait_for() { local i; for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
# A window of the program whose title matches the pattern. GTK writes non-Latin titles
# only into _NET_WM_NAME, which getwindowname reads (search --name looks at WM_NAME).
window_named() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$AGENT_PID" 2>/dev/null); do
    # shellcheck disable=SC2254
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in $1) echo "$w"; return 0 ;; esac
  done
  return 1
}
has_window() { [ -n "$(window_named "$1")" ]; }
no_window() { ! has_window "$1"; }
focus() { xdotool windowfocus --sync "$(window_named "$1")" 2>/dev/null || true; }
title_is() { [ "$(xdotool getwindowname "$(window_named 'ZELAgent-*')" 2>/dev/null)" == "$1" ]; }
desk() { sql "select $1 from TRANSFER_NUM_INFO where SVC_ID = $SVC"; }
hist() { sql "select $1 from TRANSFER_HIST where XAN_ID = 560001"; }
# Clicks the centre of a rectangle of the console in dialog units (template 385 x 206).
click_du() {
  local X Y WIDTH HEIGHT
  read -r X Y WIDTH HEIGHT < <(xwininfo -id "$(window_named 'ZELAgent-*')" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}')
  focus 'ZELAgent-*'
  # GTK takes a click only on a widget the pointer has entered: move, settle, click.
  xdotool mousemove --sync $((X + (2 * $1 + $3) * WIDTH / 770)) $((Y + (2 * $2 + $4) * HEIGHT / 412))
  sleep 0.2
  xdotool click 1
}
# Answers the box with this title with its default button.
answer_box() { wait_for 30 has_window "$1" && focus "$1" && xdotool key Return; }
# Waits for the program to end; its exit status in STATUS.
agent_gone() { ! kill -0 "$AGENT_PID" 2>/dev/null; }
reap_agent() { wait_for 100 agent_gone && { wait "$AGENT_PID"; STATUS=$?; AGENT_PID=""; }; }
# Starts the program and signs in with a typed password.
start_and_sign_in() {
  (cd "$RUN_DIR" && exec "$ZELAGENT") >"$RUN_DIR/agent.log" 2>&1 &
  AGENT_PID=$!
  check "console up, signed out" wait_for 300 title_is "ZELAgent-로그아웃" || return 1
  check "sign-in dialog" wait_for 300 has_window "로그인" || return 1
  focus "로그인"
  sleep 0.3
  xdotool type --delay 40 "$PASSWORD"
  xdotool key Return
  check "signed in, title ZELAgent-$TEL-대기중" wait_for 200 title_is "ZELAgent-$TEL-대기중"
}

sql "select 1" >/dev/null || { echo "e2e: the private database server is not up (scripts/db start)" >&2; exit 1; }
cleanup_rows
sql "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('$USER_ID', '$AGENT', '$PASSWORD');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', '$USER_ID')"
mkdir -p "$RUN_DIR/Env" && cp "$CNF" "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
  "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"

start_and_sign_in || exit 1
expect_eq "IS_READY after sign-in" 0 "$(desk IS_READY)"

# A transferred call: stamped with the agent's name within 1.5 s, the title 통화중.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 560001 --phone 0212345678 \
  --cust "홍길동 고객님 (VIP)" --cust "가입일 2019-03-02" --cust "서울시 강남구" --cust "최근 문의: 요금제" >/dev/null
start_ns=$(date +%s%N)
stamped() { [ "$(hist AGENT_NM)" == "$AGENT" ]; }
wait_for 30 stamped
ms=$((($(date +%s%N) - start_ns) / 1000000))
check "stamped with the agent's name after $ms ms (at most 1500)" eval 'stamped && ((ms <= 1500))'
check "title ZELAgent-$TEL-통화중" wait_for 20 title_is "ZELAgent-$TEL-통화중"

# Registration with the mouse: grade 중도 (7003), a memo, 통화결과 등록 (1001).
sleep 0.5
click_du 95 117 43 12
click_du 51 131 271 66
xdotool type --delay 20 "e2e memo, it's done"
click_du 327 117 50 25
check "the registration's box answered" eval 'answer_box "알림" && wait_for 30 no_window "알림"'
expect_eq "result and memo" "03/e2e memo, it's done" "$(hist "concat(CONSULT_RESULT, '/', COMMENT)")"

"$CALLCENTER" --cnf "$CNF" hangup --svc $SVC --tel $TEL >/dev/null
check "ready after the call" wait_for 30 title_is "ZELAgent-$TEL-대기중"

# Alt+F4 while signed in asks; Yes, the default button, signs out and closes.
focus 'ZELAgent-*'
xdotool key alt+F4
check "confirmation on close" answer_box "에러"
check "the program ended after the close" reap_agent && expect_eq "exit status after close" 0 "$STATUS"
expect_eq "desk after close" "1/00000000000000" "$(desk "concat(IS_READY, '/', STATUS_START_TIME)")"

# SIGTERM while signed in: signed out, status 143.
if start_and_sign_in; then
  kill -TERM "$AGENT_PID"
  check "the program ended after SIGTERM" reap_agent && expect_eq "exit status after SIGTERM" 143 "$STATUS"
  expect_eq "IS_READY after SIGTERM" 1 "$(desk IS_READY)"
fi

[ "$FAILURES" -eq 0 ] || exit 1
note "all passed"
