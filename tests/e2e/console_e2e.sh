#!/usr/bin/env bash
# End-to-end: the real zelagent under X (run under xvfb-run), driven with xdotool,
# against the private database, with calls transferred by zelagent-callcenter.
#
#   console_e2e.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
#
# One agent's shift: sign-in with a typed password, a transferred call stamped with
# the agent's name within 1.5 s and "통화중" in the title, a result registered with the
# mouse, the end of the call, Alt+F4 confirmed: signed out, status 0. Then SIGTERM
# while signed in: signed out, status 143.
# Keys: SVC_ID 560, TEL_NUM '5560', XAN_ID 560001-560009, USER_ID 'e2e1'.
set -uo pipefail

ZELAGENT="$(realpath "$1")"
CALLCENTER="$(realpath "$2")"
CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -n "${4:-}" ] && [ -f "$4" ]; then CNF="$4"; fi
export GDK_BACKEND=x11 NO_AT_BRIDGE=1 GTK_THEME=Adwaita

SVC=560
TEL=5560
USER_ID=e2e1
AGENT=김이투
PASSWORD=pw-e2e
RUN_DIR="$(mktemp -d /tmp/zelagent-e2e-XXXXXX)"
AGENT_PID=""
FAILURES=0

sql() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
note() { echo "e2e: $*"; }
fail() { echo "e2e: FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); }
expect_eq() { # what, expected, actual
  if [ "$2" == "$3" ]; then note "ok: $1 = '$3'"; else fail "$1: expected '$2', got '$3'"; fi
}

cleanup_rows() {
  sql "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC;
       delete from REQ_XAN where XAN_ID between 560000 and 569999;
       delete from TRANSFER_HIST where XAN_ID between 560000 and 569999;
       delete from USER_AGENT_INFO where USER_ID = '$USER_ID'"
}

finish() {
  if [ -n "$AGENT_PID" ] && kill -0 "$AGENT_PID" 2>/dev/null; then
    kill -KILL "$AGENT_PID" 2>/dev/null
  fi
  cleanup_rows
  rm -rf "$RUN_DIR"
}
trap finish EXIT

# Waits until the command succeeds; $1 = timeout in tenths of a second.
wait_for() {
  local tenths="$1"; shift
  local i
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

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
console_window() { window_named 'ZELAgent-*'; }
desk() { sql "select $1 from TRANSFER_NUM_INFO where SVC_ID = $SVC"; }
hist() { sql "select $1 from TRANSFER_HIST where XAN_ID = 560001"; }
title_is() { [ "$(xdotool getwindowname "$(console_window)" 2>/dev/null)" == "$1" ]; }

# Clicks the centre of a rectangle of the console given in dialog units (template
# 385 x 206), relative to the console's client area.
click_du() {
  local x="$1" y="$2" w="$3" h="$4" win
  win="$(console_window)"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  local px=$((X + (2 * x + w) * WIDTH / 770))
  local py=$((Y + (2 * y + h) * HEIGHT / 412))
  xdotool windowfocus --sync "$win" 2>/dev/null
  xdotool mousemove --sync "$px" "$py" click 1
}

focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null || true; }
# Answers the box with this title with its default button.
answer_box() {
  wait_for 30 has_window "$1" || return 1
  focus_window "$(window_named "$1")"
  xdotool key Return
}
# Waits for the program to end; its exit status in STATUS.
agent_gone() { ! kill -0 "$AGENT_PID" 2>/dev/null; }
reap_agent() {
  wait_for 100 agent_gone || return 1
  wait "$AGENT_PID"
  STATUS=$?
  AGENT_PID=""
}

start_agent() {
  (cd "$RUN_DIR" && exec "$ZELAGENT") >"$RUN_DIR/agent.log" 2>&1 &
  AGENT_PID=$!
}

sign_in() {
  if ! wait_for 100 has_window "로그인"; then fail "no sign-in dialog"; return 1; fi
  local login
  login="$(window_named "로그인")"
  focus_window "$login"
  sleep 0.3
  xdotool type --delay 40 "$PASSWORD"
  xdotool key Return
  if ! wait_for 100 title_is "ZELAgent-$TEL-대기중"; then
    fail "not ready after sign-in (title '$(xdotool getwindowname "$(console_window)" 2>/dev/null)')"
    return 1
  fi
  note "ok: signed in, title ZELAgent-$TEL-대기중"
}

# ---- set-up ----
if ! sql "select 1" >/dev/null; then
  echo "e2e: the private database server is not up (scripts/db start)" >&2
  exit 1
fi
cleanup_rows
sql "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('$USER_ID', '$AGENT', '$PASSWORD');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', '$USER_ID')"
mkdir -p "$RUN_DIR/Env"
cp "$CNF" "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
  "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"

# ---- a shift ----
start_agent
if ! wait_for 100 title_is "ZELAgent-로그아웃"; then fail "no console window"; exit 1; fi
note "ok: console up, title ZELAgent-로그아웃"
sign_in || exit 1
expect_eq "IS_READY after sign-in" "0" "$(desk IS_READY)"

# A transferred call: stamped with the agent's name within 1.5 s.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 560001 --phone 0212345678 \
  --cust "홍길동 고객님 (VIP)" --cust "가입일 2019-03-02" --cust "서울시 강남구" --cust "최근 문의: 요금제" >/dev/null
start_ns=$(date +%s%N)
stamped() { [ "$(hist AGENT_NM)" == "$AGENT" ]; }
if wait_for 30 stamped; then
  elapsed_ms=$((($(date +%s%N) - start_ns) / 1000000))
  if [ "$elapsed_ms" -le 1500 ]; then note "ok: stamped after ${elapsed_ms} ms"; else fail "stamped only after ${elapsed_ms} ms"; fi
else
  fail "the call was not stamped with the agent's name"
fi
if wait_for 20 title_is "ZELAgent-$TEL-통화중"; then note "ok: title ZELAgent-$TEL-통화중"; else fail "title not 통화중"; fi

# Registration: grade 중도 (7003) and a memo, then 통화결과 등록 (1001).
sleep 0.5
click_du 95 117 43 12
click_du 51 131 271 66
xdotool type --delay 20 "e2e memo, it's done"
click_du 327 117 50 25
if answer_box "알림"; then
  wait_for 30 no_window "알림" || fail "the box did not close"
else
  fail "no box after the registration"
fi
expect_eq "result and memo" "03/e2e memo, it's done" "$(hist "concat(CONSULT_RESULT, '/', COMMENT)")"

# The end of the call: ready again.
"$CALLCENTER" --cnf "$CNF" hangup --svc $SVC --tel $TEL >/dev/null
if wait_for 30 title_is "ZELAgent-$TEL-대기중"; then note "ok: ready after the call"; else fail "not ready after the call"; fi

# Alt+F4 asks while signed in; Yes (the default button) signs out and closes.
focus_window "$(console_window)"
xdotool key alt+F4
answer_box "에러" || fail "no confirmation on close"
if reap_agent; then
  expect_eq "exit status after close" "0" "$STATUS"
else
  fail "the program did not end after the confirmed close"
fi
expect_eq "desk after close" "1/00000000000000" "$(desk "concat(IS_READY, '/', STATUS_START_TIME)")"

# ---- SIGTERM while signed in ----
start_agent
if wait_for 100 title_is "ZELAgent-로그아웃" && sign_in; then
  kill -TERM "$AGENT_PID"
  reap_agent
  expect_eq "exit status after SIGTERM" "143" "$STATUS"
  expect_eq "IS_READY after SIGTERM" "1" "$(desk IS_READY)"
else
  fail "second start did not sign in"
fi

if [ "$FAILURES" -gt 0 ]; then
  echo "e2e: $FAILURES failure(s); the program's output:" >&2
  cat "$RUN_DIR/agent.log" >&2
  exit 1
fi
note "all passed"
