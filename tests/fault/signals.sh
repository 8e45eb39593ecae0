#!/usr/bin/env bash
# SIGTERM and SIGINT while ready, on break and in a call, SIGTERM while a box is open
# and during the sign-in, SIGHUP, a second signal, and the display going away: the program ends (128 + the signal, or 1 for the
# display) and the desk is signed out (IS_READY 1, STATUS_START_TIME '00000000000000').
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }

# signal_in <signal> <state>: signs in, brings the desk into the state, sends the signal.
signal_in() {
  local signal=$1 state=$2 xan=$((570100 + RANDOM % 800)) number
  number=$(kill -l "$signal")
  sql "update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0 where SVC_ID = $SVC"
  if [ "$state" == signin ]; then
    start_agent || return 1
  else
    start_and_sign_in || return 1
  fi
  case "$state" in
    break) click_break && check "on break" wait_for 50 title_is "ZELAgent-$TEL-휴식중" ;;
    call) transfer $xan && check "in a call" wait_for 50 title_is "ZELAgent-$TEL-통화중" ;;
    box) close_console && check "the close question is up" wait_for 50 has_window "에러" ;;
  esac
  kill -"$signal" "$AGENT_PID"
  check "$signal $state: the program ended" reap_agent 150 &&
    expect_eq "$signal $state: exit status" $((128 + number)) "$STATUS"
  expect_eq "$signal $state: desk signed out" "1/00000000000000" "$(desk_state)"
}

for signal in TERM INT; do
  for state in ready break call; do signal_in $signal $state; done
done
signal_in TERM box
signal_in HUP ready
# Before the sign-in nothing is written; the desk stays as the last run left it.
signal_in TERM signin

# A second signal ends the program at once, even while the first one's sign-out waits
# for a server that does not answer.
if start_and_sign_in; then
  db_freeze
  kill -TERM "$AGENT_PID"
  sleep 1
  kill -TERM "$AGENT_PID"
  second_at=$(now_ms)
  check "a second SIGTERM ends the program at once" reap_agent 30 &&
    expect_eq "exit status after the second SIGTERM" 143 "$STATUS"
  note "ended $(($(now_ms) - second_at)) ms after the second signal"
  db_thaw
  reap_agent 300
fi

# The display going away (the end of the desktop session without a signal): the desk
# is signed out and the program ends with status 1. The program runs on an X server of
# its own for this, which is then ended.
(exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$RUN_DIR/display" 2>/dev/null) &
XSERVER=$!
trap '[ -n "$XSERVER" ] && kill "$XSERVER" 2>/dev/null; finish' EXIT
if check "a second X server" wait_for 100 grep -q . "$RUN_DIR/display"; then
  OUTER_DISPLAY="$DISPLAY"
  DISPLAY=":$(tr -dc 0-9 <"$RUN_DIR/display")"
  export DISPLAY
  if start_and_sign_in; then
    kill -TERM "$XSERVER"
    check "display lost: the program ended" reap_agent 150 && expect_eq "display lost: exit status" 1 "$STATUS"
    expect_eq "display lost: desk signed out" "1/00000000000000" "$(desk_state)"
  fi
  export DISPLAY="$OUTER_DISPLAY"
fi
wait "$XSERVER" 2>/dev/null
XSERVER=""
done_scenario
