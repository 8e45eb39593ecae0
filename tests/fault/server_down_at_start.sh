#!/usr/bin/env bash
# The server down when the program starts: the console comes up, the sign-in shows the
# database error box and ends the program with status 1 (no crash, the desk untouched);
# with the server started, the next sign-in works.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
before="$(desk_state)"
db stop || { fail "server stop"; exit 1; }

if start_agent; then
  type_password
  check "the database error box" wait_for 100 has_window "에러"
  answer_boxes 20 3
  expect_eq "one box before the end" 1 "$ANSWERED"
  check "the program ended" reap_agent 100 && expect_eq "exit status" 1 "$STATUS"
fi

db start || { fail "private server restart"; exit 1; }
expect_eq "desk untouched" "$before" "$(desk_state)"
if start_and_sign_in; then
  expect_eq "desk ready after the later sign-in" 0 "$(desk IS_READY)"
  close_console && answer_box "에러"
  check "ended after the close" reap_agent && expect_eq "exit status after close" 0 "$STATUS"
  expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
fi
done_scenario
