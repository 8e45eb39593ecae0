#!/usr/bin/env bash
# A close while a poll is under way: the server frozen with a poll sent and unanswered,
# the close asked and confirmed, the server thawed: the sign-out runs after the poll, the
# program ends with status 0 and the desk is signed out.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1

mark=$(stat -c %s "$GENERAL_LOG")
db_freeze || { fail "freeze"; exit 1; }
check "a poll waits for the frozen server" wait_for 30 statement_waiting || exit 1
close_console
check "the close question comes while the poll hangs" wait_for 20 has_window "에러"
focus "에러" && xdotool key Return
check "the question is answered" wait_for 20 no_window "에러"
check "the poll still hangs" statement_waiting
db_thaw
check "the program ended" reap_agent 150 && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
poll=$(logged_after "$mark" "select XAN_ID, RECV_PHONE, CUST_INFO, TRANSFER_STATUS from TRANSFER_NUM_INFO where SVC_ID = $SVC ")
signout=$(logged_after "$mark" "update TRANSFER_NUM_INFO set IS_READY = 1, STATUS_START_TIME = '00000000000000' where SVC_ID = $SVC ")
check "the poll ($poll) and then the sign-out ($signout) reached the server" \
  eval '[ -n "$poll" ] && [ -n "$signout" ] && ((poll < signout))'
done_scenario
