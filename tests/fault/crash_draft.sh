#!/usr/bin/env bash
# A SIGKILL while a grade and a memo are entered for a call, not registered: the draft
# the console keeps in its journal every few seconds outlives the process, and the next
# sign-in writes it to that call's row, with the note of the automatic save.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
XAN=570201 MEMO="typed before the kill 9"
result() { call_result $XAN; }
result_is() { [ "$(result)" == "$1" ]; }

call_with_entry $XAN "$MEMO" || exit 1
# The draft is on disk once its line is whole in the journal (written every 3 s).
check "the draft with grade and memo is in the journal" wait_for 100 has_journal_record D $XAN "$MEMO"
draft=$(journal_seq D $XAN "$MEMO")
kill -KILL "$AGENT_PID"
check "the program is gone" reap_agent 50 && expect_eq "exit status of the kill" 137 "$STATUS"
check "nothing was registered before the kill" eval '! result_is "03/$MEMO"'

# The caller hung up meanwhile; the agent starts the program again and signs in.
hangup
check "desk reset" reset_desk
start_and_sign_in || exit 1
check "the draft is written to its call after the sign-in" wait_for 100 result_is "03/$MEMO"
check "the note of the automatic save" wait_for 50 traced "note: 이전 통화의 결과를 저장했습니다."
check "the journal marks the draft written" wait_for 50 journal_done "$draft"
close_console && answer_box "에러"
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
