# signal_in, sourced by the signal scenarios after lib.sh.
# shellcheck shell=bash
# signal_in <signal> <state>: signs in, brings the desk into the state, sends the signal.
signal_in() {
  local signal=$1 state=$2 xan=$((570100 + RANDOM % 800)) number
  number=$(kill -l "$signal")
  check "$signal $state: desk reset" reset_desk || return 1
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
  # Before the sign-in nothing is written: the desk stays as it was.
  if [ "$state" == signin ]; then
    expect_eq "$signal $state: desk untouched" "$DESK_RESET" "$(desk_state)"
  else
    expect_eq "$signal $state: desk signed out" "1/00000000000000" "$(desk_state)"
  fi
}
