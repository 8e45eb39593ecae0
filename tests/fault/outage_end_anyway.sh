#!/usr/bin/env bash
# A registration during an outage, then a close that ends anyway: the result waits in
# the journal, and once the server is back the next start and sign-in write it to its
# call's row.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
XAN=570301 MEMO="registered while the server was down"
result() { call_result $XAN; }
result_is() { [ "$(result)" == "$1" ]; }

call_with_entry $XAN "$MEMO" || exit 1
db stop || { fail "server stop"; exit 1; }
click_du 327 117 50 25 # 통화결과 등록
check "the result is in the journal before its statement" wait_for 50 has_journal_record R $XAN "$MEMO"
check "the registration fails with a box" wait_for 150 eval '[ -n "$(box_ids)" ]'
answer_boxes 30 3
check "the registration's failure was answered" [ "$ANSWERED" -ge 1 ]

close_console
check "the close question" wait_for 50 has_window "에러"
check "ended anyway after the failed sign-out" answer_yes_until_gone 60
reap_agent 20

db start || { fail "server start"; exit 1; }
check "nothing reached the row during the outage" eval '! result_is "03/$MEMO"'
hangup
check "desk reset" reset_desk
start_and_sign_in || exit 1
check "the result is written to its call after the sign-in" wait_for 100 result_is "03/$MEMO"
check "the note of the automatic save" wait_for 50 traced "note: 이전 통화의 결과를 저장했습니다."
close_console && answer_box "에러"
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
