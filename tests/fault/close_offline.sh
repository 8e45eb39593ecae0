#!/usr/bin/env bash
# A close with the database unreachable never ends the program with the desk ready:
# the failed sign-out leaves the console open (every box answered with its default),
# a close once the database is back signs out and ends, and ending anyway takes an
# explicit answer that is not the default.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }

start_and_sign_in || exit 1
db stop || fail "server stop"
close_console
check "the close question" wait_for 50 has_window "에러"
focus "에러" && xdotool key Return
answer_boxes 40 4
check "boxes after the failed sign-out ($ANSWERED answered with their default)" [ "$ANSWERED" -ge 1 ]
if check "the program still runs after the failed sign-out" eval '! agent_gone'; then
  check "the console is still open, not signed out" eval 'has_window "ZELAgent-*" && ! title_is "ZELAgent-$TEL-로그아웃"'
  db start || { fail "server start"; exit 1; }
  expect_eq "the desk is still ready in the database" 0 "$(desk IS_READY)"
  answer_boxes 5 2
  close_console
  check "the close question once the database is back" wait_for 50 has_window "에러"
  focus "에러" && xdotool key Return
  check "the program ended after the sign-out" reap_agent 150 && expect_eq "exit status" 0 "$STATUS"
  expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
else
  reap_agent 10
  db start || { fail "server start"; exit 1; }
  expect_eq "the desk left behind" "1/00000000000000" "$(desk_state)"
fi

# Ending anyway: Yes to every question of the failed sign-out.
start_and_sign_in || exit 1
db stop || fail "server stop"
close_console
check "the close question" wait_for 50 has_window "에러"
answer_yes_until_gone 40
check "an explicit answer ends the program with the database down" reap_agent 20
db start || { fail "server start"; exit 1; }
done_scenario
