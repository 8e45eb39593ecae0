#!/usr/bin/env bash
# A whole shift with the keyboard alone (xdotool key, no pointer, no window focusing by
# the test): the real zelagent under X with a window manager, against the private
# database, the call transferred by zelagent-callcenter; a second start with break reasons
# configured: F3, a digit, Escape. Before each key the control that must have the
# keyboard is waited for, read over the accessibility bus. Counts the key presses.
#   keyboard_shift.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 561, TEL_NUM '5561', XAN_ID 561001, USER_ID 'kbd1'.
# shellcheck disable=SC2317 # the functions run through check and wait_for
set -uo pipefail

# A session bus of its own: the accessibility bus on it tells which control has the
# keyboard before each key goes.
if [ -z "${ZEL_KEYBOARD_SHIFT_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null ||
    { echo "keyboard: dbus-run-session is missing (scripts/install-deps)" >&2; exit 1; }
  ZEL_KEYBOARD_SHIFT_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
HERE="$(cd "$(dirname "$0")" && pwd)"

TAG=keyboard SVC=561 TEL=5561 USER_ID=kbd1 AGENT=김키보 PASSWORD=pw-kbd KEYS=0
XAN=561001 XAN_FIRST=561000 XAN_LAST=561999
# shellcheck source=../e2e/desk_lib.sh source-path=SCRIPTDIR
source "$HERE/../e2e/desk_lib.sh"
unset NO_AT_BRIDGE

# The window that has the keyboard is the program's window with that title.
focused_is() { [ "$(xdotool getwindowname "$(xdotool getwindowfocus 2>/dev/null)" 2>/dev/null)" == "$1" ]; }
# The control that has the keyboard, as a screen reader finds it: "<window>|<role>|<name>".
# Debian's own python: python3-pyatspi is installed for it.
focused_control() { /usr/bin/python3 "$HERE/focused.py" "$AGENT_PID"; }
# control_is <pattern>: the control with the keyboard matches "<window>|<role>|<name>".
control_is() {
  # shellcheck disable=SC2254
  case "$(focused_control)" in $1) return 0 ;; esac
  return 1
}
# keyboard_on <what> <pattern>: waits until that control has the keyboard. Otherwise
# says which has it and ends the run: the next keys would go elsewhere, and every later
# check would only report that.
keyboard_on() {
  check "$1" wait_for 50 control_is "$2" && return 0
  echo "$TAG: the keyboard is at '$(focused_control)'" >&2
  exit 1
}
# Keys reach the console's event loop in order: once About, opened by F1, has come and
# gone, every key before it has been handled. Not counted.
keys_handled() {
  xdotool key F1
  wait_for 50 has_window 'ZELAgent(*' && xdotool key Escape && wait_for 50 no_window 'ZELAgent(*'
}
# key <key>...: presses each key in turn, counted. The X server queues them in order for
# the window with the keyboard.
key() { local k; for k in "$@"; do xdotool key "$k"; KEYS=$((KEYS + 1)); done; }
# Keys of an ASCII text (letters, digits, blank, minus).
keys_of() {
  local text="$1" i c out=()
  for ((i = 0; i < ${#text}; i++)); do
    c="${text:i:1}"
    case "$c" in " ") out+=(space) ;; "-") out+=(minus) ;; *) out+=("$c") ;; esac
  done
  echo "${out[@]}"
}

require openbox
seed_desk
start_wm

(cd "$RUN_DIR" && ZELAGENT_TRACE=1 exec "$ZELAGENT") >"$RUN_DIR/agent.log" 2>&1 &
AGENT_PID=$!
check "sign-in dialog has the keyboard" wait_for 300 focused_is "로그인" || exit 1
keyboard_on "the password field has the keyboard" "로그인|password text|비밀번호"
# shellcheck disable=SC2046 # one key per word
key $(keys_of "$PASSWORD") Return
SIGN_IN_KEYS=$KEYS
check "signed in, ready" wait_for 200 title_is "ZELAgent-$TEL-대기중" || exit 1
check "the console has the keyboard" wait_for 50 focused_is "ZELAgent-$TEL-대기중"
keyboard_on "on 휴식중" "ZELAgent-$TEL-대기중|push button|휴식중"

# The console has a focused control at once: F1 opens About, Escape closes it.
key F1
check "F1 after sign-in: About" wait_for 50 has_window 'ZELAgent(*'
key Escape
check "Escape closes About" wait_for 50 no_window 'ZELAgent(*'
keyboard_on "back on 휴식중" "ZELAgent-$TEL-대기중|push button|휴식중"
# The focus after sign-in rests on 휴식중: Space presses it; then on 대기중.
key space
check "Space after sign-in: on break" wait_for 50 title_is "ZELAgent-$TEL-휴식중"
keyboard_on "then on 대기중" "ZELAgent-$TEL-휴식중|push button|대기중"
key space
check "Space on break: ready again" wait_for 50 title_is "ZELAgent-$TEL-대기중"
keyboard_on "on 휴식중 again" "ZELAgent-$TEL-대기중|push button|휴식중"
key F3
check "F3: on break" wait_for 50 title_is "ZELAgent-$TEL-휴식중"
keyboard_on "F3: on 대기중" "ZELAgent-$TEL-휴식중|push button|대기중"
key F2
check "F2: ready" wait_for 50 title_is "ZELAgent-$TEL-대기중"
keyboard_on "F2: on 휴식중" "ZELAgent-$TEL-대기중|push button|휴식중"
key F2 # not allowed while ready: a bell, nothing else
check "F2 while ready handled" keys_handled
check "F2 while ready changes nothing" title_is "ZELAgent-$TEL-대기중"
STATE_KEYS=$((KEYS - SIGN_IN_KEYS))

# A call: the memo has the keyboard; a grade, the memo, registration and its box.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 561001 --phone 0212345678 \
  --cust "키보드 고객" >/dev/null
check "in a call" wait_for 40 title_is "ZELAgent-$TEL-통화중" || exit 1
check "the call's fields are the agent's" wait_for 50 call_fields_ready 561001
keyboard_on "the memo has the keyboard" "ZELAgent-$TEL-통화중|text|통화내용메모"
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
keyboard_on "the console has the keyboard, ready" "ZELAgent-$TEL-대기중|*"
key F4
check "F4: signed out" wait_for 50 title_is "ZELAgent-$TEL-로그아웃"
expect_eq "desk after sign-out" "1" "$(desk IS_READY)"
keyboard_on "the console has the keyboard, signed out" "ZELAgent-$TEL-로그아웃|*"
key alt+F4
check "closed without a question once signed out" wait_for 100 agent_gone
if agent_gone; then wait "$AGENT_PID"; expect_eq "exit status" 0 "$?"; AGENT_PID=""; fi

# Break reasons, read at the sign-in of the next start: F3 opens their list, a digit
# chooses, Escape sends nothing. They go again whatever becomes of the run.
no_reasons() { sql "delete from CODE_INFO where CD_GRP = 'BREAK_REASON'"; }
trap 'no_reasons; finish' EXIT
sql "insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('BREAK_REASON', '01', '식사'),
     ('BREAK_REASON', '02', '교육')"
(cd "$RUN_DIR" && ZELAGENT_TRACE=1 exec "$ZELAGENT") >>"$RUN_DIR/agent.log" 2>&1 &
AGENT_PID=$!
check "started again: sign-in" wait_for 300 focused_is "로그인" || exit 1
keyboard_on "the password field has the keyboard again" "로그인|password text|비밀번호"
# shellcheck disable=SC2046 # one key per word
key $(keys_of "$PASSWORD") Return
check "signed in again" wait_for 200 focused_is "ZELAgent-$TEL-대기중" || exit 1
keyboard_on "on 휴식중" "ZELAgent-$TEL-대기중|push button|휴식중"
key F3
check "F3 with reasons: their list has the keyboard" wait_for 50 focused_is "휴식 사유"
key 2
check "2: on break for 교육" wait_for 50 title_is "ZELAgent-$TEL-휴식중(교육)"
keyboard_on "then on 대기중" "ZELAgent-$TEL-휴식중(교육)|push button|대기중"
key F2
check "F2: ready" wait_for 50 title_is "ZELAgent-$TEL-대기중"
keyboard_on "on 휴식중 again" "ZELAgent-$TEL-대기중|push button|휴식중"
key F3
check "F3 again: the list" wait_for 50 focused_is "휴식 사유"
key Escape
check "Escape: the list gone" wait_for 30 no_window "휴식 사유"
keyboard_on "back on 휴식중" "ZELAgent-$TEL-대기중|push button|휴식중"
check "Escape handled" keys_handled
check "Escape: still ready" title_is "ZELAgent-$TEL-대기중"
no_reasons
key F4
check "F4: signed out" wait_for 50 title_is "ZELAgent-$TEL-로그아웃"
keyboard_on "the console has the keyboard, signed out" "ZELAgent-$TEL-로그아웃|*"
key alt+F4
check "closed" wait_for 100 agent_gone
if agent_gone; then wait "$AGENT_PID"; AGENT_PID=""; fi

note "key presses: sign-in $SIGN_IN_KEYS, state changes $STATE_KEYS, per call $CALL_KEYS plus $MEMO_KEYS for the memo's text, total $KEYS"
[ "$FAILURES" -eq 0 ] || exit 1
note "all passed"
