#!/usr/bin/env bash
# SIGTERM and SIGINT while ready, on break and in a call, and SIGTERM while a box is
# open: the program ends with 128 + the signal and the desk is signed out
# (IS_READY 1, STATUS_START_TIME '00000000000000').
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }

# signal_in <signal> <state>: signs in, brings the desk into the state, sends the signal.
signal_in() {
  local signal=$1 state=$2 xan=$((570100 + RANDOM % 800)) number
  number=$(kill -l "$signal")
  sql "update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0 where SVC_ID = $SVC"
  start_and_sign_in || return 1
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
done_scenario
