#!/usr/bin/env bash
# The server restarted mid-shift: the boxes of the outage answered, the next call is
# picked up, stamped and shown; killed during a call and started again, the call's end
# is still seen; the shift ends normally.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1

db stop || fail "server stop"
check "the outage is reported" wait_for 50 has_window "에러"
db start || { fail "server start"; exit 1; }
answer_boxes 20 3
transfer 570001
check "the next call is picked up" wait_for 50 title_is "ZELAgent-$TEL-통화중"
check "stamped with the agent's name" wait_for 20 eval '[ "$(hist 570001 AGENT_NM)" == "$AGENT" ]'
hangup
check "ready after the call" wait_for 50 title_is "ZELAgent-$TEL-대기중"

# The server killed during a call and started again: the call's end is still seen.
transfer 570002
check "the second call is picked up" wait_for 50 title_is "ZELAgent-$TEL-통화중"
pid="$(db_pid)"
check "the server's pid is known ('$pid')" eval '[ -n "$pid" ] && is_our_server "$pid"' || exit 1
check "the server is killed" kill -KILL "$pid"
check "the server has gone" wait_for 100 process_gone "$pid"
check "nothing answers in its place" eval '! sql "select 1" 2>/dev/null'
db start || { fail "server start after a kill"; exit 1; }
answer_boxes 20 3
check "still in the call after the restart" title_is "ZELAgent-$TEL-통화중"
hangup
check "ready once the call has ended" wait_for 50 title_is "ZELAgent-$TEL-대기중"
close_console && answer_box "에러"
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
