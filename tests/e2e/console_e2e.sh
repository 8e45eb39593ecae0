#!/usr/bin/env bash
# End-to-end: the real zelagent under X (run under xvfb-run), driven with xdotool,
# against the private database, with calls transferred by zelagent-callcenter.
#
#   console_e2e.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
#
# One agent's shift: sign-in with the last entries of the settings file and a typed
# password, a transferred call stamped with the agent's name within 1.5 s and shown
# with "통화중" in the title, a result registered with the keyboard and the mouse, the
# end of the call, Escape that does not close, Alt+F4 with the confirmation and the
# sign-out, exit status 0. Then SIGTERM while signed in: signed out, status 143.
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

# Windows of the program by their title. GTK writes non-Latin titles only into
# _NET_WM_NAME, which getwindowname reads (search --name looks at WM_NAME).
window_named() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$AGENT_PID" 2>/dev/null); do
    if [ "$(xdotool getwindowname "$w" 2>/dev/null)" == "$1" ]; then echo "$w"; return 0; fi
  done
  return 1
}
has_window() { [ -n "$(window_named "$1")" ]; }
no_window() { ! has_window "$1"; }
# The console window: its title starts with "ZELAgent-".
console_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$AGENT_PID" 2>/dev/null); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in ZELAgent-*) echo "$w"; return 0 ;; esac
  done
  return 1
}
title_is() { [ "$(xdotool getwindowname "$(console_window)" 2>/dev/null)" == "$1" ]; }

# Clicks the centre of a rectangle of the console given in dialog units (template
# 385 x 206), relative to the console's client area.
click_du() {
  local x="$1" y="$2" w="$3" h="$4" win geometry
  win="$(console_window)"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  local px=$((X + (2 * x + w) * WIDTH / 770))
  local py=$((Y + (2 * y + h) * HEIGHT / 412))
  xdotool windowfocus --sync "$win" 2>/dev/null
  xdotool mousemove --sync "$px" "$py" click 1
}

focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null || true; }

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
expect_eq "IS_READY after sign-in" "0" "$(sql "select IS_READY from TRANSFER_NUM_INFO where SVC_ID = $SVC")"

# Escape never closes the console.
focus_window "$(console_window)"
xdotool key Escape
sleep 0.5
if ! kill -0 "$AGENT_PID" 2>/dev/null || [ -z "$(console_window)" ]; then fail "Escape closed the console"; fi

# A transferred call: stamped with the agent's name within 1.5 s.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 560001 --phone 0212345678 \
  --cust "홍길동 고객님 (VIP)" --cust "가입일 2019-03-02" --cust "서울시 강남구" --cust "최근 문의: 요금제" >/dev/null
start_ns=$(date +%s%N)
stamped() { [ "$(sql "select AGENT_NM from TRANSFER_HIST where XAN_ID = 560001")" == "$AGENT" ]; }
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
if wait_for 30 has_window "알림"; then
  focus_window "$(window_named "알림")"
  xdotool key Return
  wait_for 30 no_window "알림" || fail "the box did not close"
else
  fail "no box after the registration"
fi
expect_eq "CONSULT_RESULT" "03" "$(sql "select CONSULT_RESULT from TRANSFER_HIST where XAN_ID = 560001")"
expect_eq "COMMENT" "e2e memo, it's done" "$(sql "select COMMENT from TRANSFER_HIST where XAN_ID = 560001")"

# The end of the call: ready again, the day's statistics counted.
"$CALLCENTER" --cnf "$CNF" hangup --svc $SVC --tel $TEL >/dev/null
if wait_for 30 title_is "ZELAgent-$TEL-대기중"; then note "ok: ready after the call"; else fail "not ready after the call"; fi

# Alt+F4 asks while signed in; Yes (the default button) signs out and closes.
focus_window "$(console_window)"
xdotool key alt+F4
if wait_for 30 has_window "에러"; then
  focus_window "$(window_named "에러")"
  xdotool key Return
else
  fail "no confirmation on close"
fi
agent_gone() { ! kill -0 "$AGENT_PID" 2>/dev/null; }
if wait_for 100 agent_gone; then
  wait "$AGENT_PID"
  status=$?
  AGENT_PID=""
  expect_eq "exit status after close" "0" "$status"
else
  fail "the program did not end after the confirmed close"
fi
expect_eq "IS_READY after close" "1" "$(sql "select IS_READY from TRANSFER_NUM_INFO where SVC_ID = $SVC")"
expect_eq "STATUS_START_TIME after close" "00000000000000" \
  "$(sql "select STATUS_START_TIME from TRANSFER_NUM_INFO where SVC_ID = $SVC")"

# ---- SIGTERM while signed in ----
start_agent
if wait_for 100 title_is "ZELAgent-로그아웃" && sign_in; then
  kill -TERM "$AGENT_PID"
  wait "$AGENT_PID"
  status=$?
  AGENT_PID=""
  expect_eq "exit status after SIGTERM" "143" "$status"
  expect_eq "IS_READY after SIGTERM" "1" "$(sql "select IS_READY from TRANSFER_NUM_INFO where SVC_ID = $SVC")"
else
  fail "second start did not sign in"
fi

if [ "$FAILURES" -gt 0 ]; then
  echo "e2e: $FAILURES failure(s); the program's output:" >&2
  cat "$RUN_DIR/agent.log" >&2
  exit 1
fi
note "all passed"
