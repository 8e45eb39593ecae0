#!/usr/bin/env bash
# A whole shift with the keyboard alone (xdotool key, no pointer, no window focusing by
# the test): the real zelagent under X with a window manager, against the private
# database, the call transferred by zelagent-callcenter. Counts the key presses.
#   keyboard_shift.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 561, TEL_NUM '5561', XAN_ID 561001, USER_ID 'kbd1'.
# shellcheck disable=SC2317 # the functions run through check and wait_for
set -uo pipefail

ZELAGENT="$(realpath "$1")" CALLCENTER="$(realpath "$2")" CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
export GDK_BACKEND=x11 NO_AT_BRIDGE=1 GTK_THEME=Adwaita
export GTK_IM_MODULE="${GTK_IM_MODULE:-gtk-im-context-simple}"
SVC=561 TEL=5561 USER_ID=kbd1 AGENT=김키보 AGENT_PID="" WM_PID="" FAILURES=0 KEYS=0
RUN_DIR="$(mktemp -d /tmp/zelagent-kbd-XXXXXX)"

sql() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
note() { echo "keyboard: $*"; }
fail() { echo "keyboard: FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); return 1; }
check() { if "${@:2}"; then note "ok: $1"; else fail "$1"; fi; }
expect_eq() { check "$1: expected '$2', got '$3'" [ "$2" == "$3" ]; }
cleanup_rows() {
  sql "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC;
       delete from TRANSFER_HIST where XAN_ID between 561000 and 561999;
       delete from USER_AGENT_INFO where USER_ID = '$USER_ID'"
}
finish() {
  [ -n "$AGENT_PID" ] && kill -KILL "$AGENT_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ "$FAILURES" -gt 0 ] && { echo "keyboard: $FAILURES failure(s); the program's output:"; cat "$RUN_DIR/agent.log"; } >&2
  cleanup_rows
  rm -rf "$RUN_DIR"
}
trap finish EXIT

wait_for() { local i; for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.1; done; return 1; }
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
title_is() { [ "$(xdotool getwindowname "$(window_named 'ZELAgent-*')" 2>/dev/null)" == "$1" ]; }
# The window that has the keyboard is the program's window with that title.
focused_is() { [ "$(xdotool getwindowname "$(xdotool getwindowfocus 2>/dev/null)" 2>/dev/null)" == "$1" ]; }
desk() { sql "select $1 from TRANSFER_NUM_INFO where SVC_ID = $SVC"; }
hist() { sql "select $1 from TRANSFER_HIST where XAN_ID = 561001"; }
agent_gone() { ! kill -0 "$AGENT_PID" 2>/dev/null; }
# key <key>...: presses each key in turn, counted.
key() { local k; for k in "$@"; do xdotool key "$k"; KEYS=$((KEYS + 1)); sleep 0.05; done; }
# Keys of an ASCII text (letters, digits, blank, minus).
keys_of() {
  local text="$1" i c out=()
  for ((i = 0; i < ${#text}; i++)); do
    c="${text:i:1}"
    case "$c" in " ") out+=(space) ;; "-") out+=(minus) ;; *) out+=("$c") ;; esac
  done
  echo "${out[@]}"
}

sql "select 1" >/dev/null || { echo "keyboard: the private database server is not up (scripts/db start)" >&2; exit 1; }
command -v openbox >/dev/null || { echo "keyboard: openbox is missing (scripts/install-deps)" >&2; exit 1; }
cleanup_rows
sql "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('$USER_ID', '$AGENT', 'pw-kbd');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', '$USER_ID')"
mkdir -p "$RUN_DIR/Env" && cp "$CNF" "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
  "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"

# A window manager gives new windows the keyboard, as on a desktop.
openbox --sm-disable >"$RUN_DIR/wm.log" 2>&1 &
WM_PID=$!
sleep 0.5

(cd "$RUN_DIR" && exec "$ZELAGENT") >"$RUN_DIR/agent.log" 2>&1 &
AGENT_PID=$!
check "sign-in dialog has the keyboard" wait_for 300 focused_is "로그인" || exit 1
sleep 0.3
# shellcheck disable=SC2046 # one key per word
key $(keys_of "pw-kbd") Return
SIGN_IN_KEYS=$KEYS
check "signed in, ready" wait_for 200 title_is "ZELAgent-$TEL-대기중" || exit 1
check "the console has the keyboard" wait_for 50 focused_is "ZELAgent-$TEL-대기중"
sleep 0.3

# The console has a focused control at once: F1 opens About, Escape closes it.
key F1
check "F1 after sign-in: About" wait_for 50 has_window 'ZELAgent(*'
key Escape
check "Escape closes About" wait_for 50 no_window 'ZELAgent(*'
sleep 0.3
# The focus after sign-in rests on 휴식중: Space presses it; then on 대기중.
key space
check "Space after sign-in: on break" wait_for 50 title_is "ZELAgent-$TEL-휴식중"
sleep 0.3
key space
check "Space on break: ready again" wait_for 50 title_is "ZELAgent-$TEL-대기중"
sleep 0.3
key F3
check "F3: on break" wait_for 50 title_is "ZELAgent-$TEL-휴식중"
sleep 0.3
key F2
check "F2: ready" wait_for 50 title_is "ZELAgent-$TEL-대기중"
sleep 0.3
key F2 # not allowed while ready: a bell, nothing else
sleep 0.3
check "F2 while ready changes nothing" title_is "ZELAgent-$TEL-대기중"
STATE_KEYS=$((KEYS - SIGN_IN_KEYS))

# A call: the memo has the keyboard; a grade, the memo, registration and its box.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 561001 --phone 0212345678 \
  --cust "키보드 고객" >/dev/null
check "in a call" wait_for 40 title_is "ZELAgent-$TEL-통화중" || exit 1
sleep 0.5
BEFORE_CALL=$KEYS
# shellcheck disable=SC2046
key $(keys_of "kbd memo 1")
MEMO_KEYS=$((KEYS - BEFORE_CALL))
key F7 F12
check "the registration's box has the keyboard" wait_for 50 focused_is "알림"
key Return
check "the box closed" wait_for 30 no_window "알림"
CALL_KEYS=$((KEYS - BEFORE_CALL - MEMO_KEYS))
expect_eq "result and memo" "03/kbd memo 1" "$(hist "concat(CONSULT_RESULT, '/', COMMENT)")"
check "the console has the keyboard again" wait_for 30 focused_is "ZELAgent-$TEL-통화중"

"$CALLCENTER" --cnf "$CNF" hangup --svc $SVC --tel $TEL >/dev/null
check "ready after the call" wait_for 40 title_is "ZELAgent-$TEL-대기중"
sleep 0.3
key F4
check "F4: signed out" wait_for 50 title_is "ZELAgent-$TEL-로그아웃"
expect_eq "desk after sign-out" "1" "$(desk IS_READY)"
sleep 0.3
key alt+F4
check "closed without a question once signed out" wait_for 100 agent_gone
if agent_gone; then wait "$AGENT_PID"; expect_eq "exit status" 0 "$?"; AGENT_PID=""; fi

note "key presses: sign-in $SIGN_IN_KEYS, state changes $STATE_KEYS, per call $CALL_KEYS plus $MEMO_KEYS for the memo's text, total $KEYS"
[ "$FAILURES" -eq 0 ] || exit 1
note "all passed"
