#!/usr/bin/env bash
# A close while a poll is under way: the server frozen so the poll hangs, the close
# asked and confirmed, the server thawed: the sign-out runs after the poll, the program
# ends with status 0 and the desk is signed out.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1

db_freeze || { fail "freeze"; exit 1; }
sleep 1.3 # the next poll is now waiting for the frozen server
close_console
check "the close question comes while the poll hangs" wait_for 20 has_window "에러"
focus "에러" && xdotool key Return
sleep 1
db_thaw
check "the program ended" reap_agent 150 && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
