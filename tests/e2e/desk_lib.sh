# Helpers of the scripts that run the real zelagent under X (xvfb-run) against the
# private database, a call transferred by zelagent-callcenter: the arguments, an account
# and a desk of the script's own, the folder the program runs in, the program's windows
# and the clean-up on exit. Sourced with the script's arguments:
#   <script>.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# The script sets before sourcing: TAG (the prefix of its messages), SVC, TEL, USER_ID,
# AGENT, PASSWORD (the account and desk it adds), XAN (its call) and XAN_FIRST, XAN_LAST
# (the range of calls whose rows it removes).
# shellcheck shell=bash disable=SC2317,SC2034 # functions run through check and wait_for; globals read by the scripts
set -uo pipefail

ZELAGENT="$(realpath "$1")" CALLCENTER="$(realpath "$2")" CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
export GDK_BACKEND=x11 GTK_THEME=Adwaita
# The plain GTK input method whatever the machine has installed, unless the run sets one.
export GTK_IM_MODULE="${GTK_IM_MODULE:-gtk-im-context-simple}"
AGENT_PID="" WM_PID="" FAILURES=0 STATUS=""
RUN_DIR="$(mktemp -d "/tmp/zelagent-$TAG-XXXXXX")"

sql() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
note() { echo "$TAG: $*"; }
fail() { echo "$TAG: FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); return 1; }
# check <what> <command...>: the command's success noted, its failure counted.
check() { if "${@:2}"; then note "ok: $1"; else fail "$1"; fi; }
expect_eq() { check "$1: expected '$2', got '$3'" [ "$2" == "$3" ]; }
desk() { sql "select $1 from TRANSFER_NUM_INFO where SVC_ID = $SVC"; }
hist() { sql "select $1 from TRANSFER_HIST where XAN_ID = $XAN"; }

cleanup_rows() {
  sql "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC;
       delete from REQ_XAN where XAN_ID between $XAN_FIRST and $XAN_LAST;
       delete from TRANSFER_HIST where XAN_ID between $XAN_FIRST and $XAN_LAST;
       delete from USER_AGENT_INFO where USER_ID = '$USER_ID'"
}
finish() {
  [ -n "$AGENT_PID" ] && kill -KILL "$AGENT_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ "$FAILURES" -gt 0 ] && { echo "$TAG: $FAILURES failure(s); the program's output:"; cat "$RUN_DIR/agent.log"; } >&2
  cleanup_rows
  rm -rf "$RUN_DIR"
}
trap finish EXIT

# require <tool>...: ends the script when the private server is not up or a tool is missing.
require() {
  local tool
  sql "select 1" >/dev/null || { echo "$TAG: the private database server is not up (scripts/db start)" >&2; exit 1; }
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$TAG: $tool is missing (scripts/install-deps)" >&2; exit 1; }
  done
}
# The account and its desk, and the folder the program runs in: the credentials and the
# remembered sign-in, in CP949 with CRLF as the program writes it.
seed_desk() {
  cleanup_rows
  sql "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('$USER_ID', '$AGENT', '$PASSWORD');
       insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', '$USER_ID')"
  mkdir -p "$RUN_DIR/Env" && chmod 700 "$RUN_DIR/Env" && cp "$CNF" "$RUN_DIR/Env/rdbclient.cnf" &&
    chmod 600 "$RUN_DIR/Env/rdbclient.cnf"
  printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
    "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"
}
# A window manager gives new windows the keyboard, as on a desktop. It is up once it
# has announced itself on the root window.
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_wm() {
  openbox --sm-disable >"$RUN_DIR/wm.log" 2>&1 &
  WM_PID=$!
  wait_for 50 wm_up || echo "$TAG: the window manager did not come up" >&2
}

# wait_for <tenths of a second> <command...>: until the command succeeds, at most that
# long by the clock (slow probes do not stretch the limit).
now_ms() { echo $(($(date +%s%N) / 1000000)); }
wait_for() {
  local deadline=$(($(now_ms) + $1 * 100))
  while :; do
    "${@:2}" && return 0
    (($(now_ms) < deadline)) || return 1
    sleep 0.1
  done
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
# With ZELAGENT_TRACE set (the program's trace in agent.log): the call's fields are the
# agent's to fill once the console has asked for the call's customer information, as
# the fields were cleared for the call just before.
call_fields_ready() { grep -q -F -- "from REQ_XAN where XAN_ID = $1" "$RUN_DIR/agent.log"; }
no_window() { ! has_window "$1"; }
focus() { xdotool windowfocus --sync "$(window_named "$1")" 2>/dev/null || true; }
title_is() { [ "$(xdotool getwindowname "$(window_named 'ZELAgent-*')" 2>/dev/null)" == "$1" ]; }
agent_gone() { ! kill -0 "$AGENT_PID" 2>/dev/null; }
# Clicks the centre of a rectangle of the console in dialog units (template 385 x 206).
click_du() {
  local X Y WIDTH HEIGHT
  read -r X Y WIDTH HEIGHT < <(xwininfo -id "$(window_named 'ZELAgent-*')" | awk '/Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF} /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}')
  focus 'ZELAgent-*'
  # GTK takes a click only on a widget the pointer has entered: the move waits until
  # the pointer is there, and the X server sends the crossing before the click.
  # The pointer leaves first: a synchronous move to where it already is never returns.
  xdotool mousemove 0 0
  xdotool mousemove --sync $((X + (2 * $1 + $3) * WIDTH / 770)) $((Y + (2 * $2 + $4) * HEIGHT / 412))
  xdotool click 1
}
# Answers the box with this title with its default button.
answer_box() { wait_for 30 has_window "$1" && focus "$1" && xdotool key Return; }
# Waits for the program to end; its exit status in STATUS.
reap_agent() { wait_for 100 agent_gone && { wait "$AGENT_PID"; STATUS=$?; AGENT_PID=""; }; }
# Starts the program in RUN_DIR and signs in with a typed password.
start_and_sign_in() {
  (cd "$RUN_DIR" && exec "$ZELAGENT") >"$RUN_DIR/agent.log" 2>&1 &
  AGENT_PID=$!
  check "console up, signed out" wait_for 300 title_is "ZELAgent-로그아웃" || return 1
  check "sign-in dialog" wait_for 300 has_window "로그인" || return 1
  # The dialog puts the keyboard in the password field before it is shown.
  focus "로그인"
  xdotool type --delay 40 "$PASSWORD"
  xdotool key Return
  check "signed in, title ZELAgent-$TEL-대기중" wait_for 200 title_is "ZELAgent-$TEL-대기중"
}
