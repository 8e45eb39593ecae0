#!/usr/bin/env bash
# Between calls: a memo still being typed when the next call comes half a second after
# the hang-up is saved to the call it was typed for, without a box; with after-call work
# the desk leaves the distribution for the call (IS_READY 1) and is ready again only
# when the work ends, so no call reaches it meanwhile.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1

transfer 570101
check "the first call is taken" wait_for 30 title_is "ZELAgent-$TEL-통화중"
check "the call's fields are cleared for it" wait_for 30 call_fields_ready 570101
click_du 51 131 271 66
xdotool type --delay 20 "memo of the first call"
hangup
sleep 0.5 # the call centre's next call, half a second after the hang-up
transfer 570102
check "the next call is stamped" wait_for 30 eval '[ "$(hist 570102 AGENT_NM)" == "$AGENT" ]'
first_result() { [ "$(hist 570101 "concat(CONSULT_RESULT, '/', COMMENT)")" == "00/memo of the first call" ]; }
check "the ended call keeps its memo" wait_for 20 first_result
check "no box over the new call" no_window "@(에러|알림|확인)"
hangup
check "ready after the call" wait_for 30 title_is "ZELAgent-$TEL-대기중"
close_console && answer_box "에러"
check "ended after the close" reap_agent

# Three seconds of after-call work, the call centre's distributor handing out calls.
printf 'AFTER_CALL_WORK_SEC=3\r\n' >>"$RUN_DIR/Env/ZELAgent.INI"
LOG="$FAULT_DB_HOME/db/general.log"
from_line=$(($(wc -l <"$LOG") + 1))
start_and_sign_in || exit 1
"$CALLCENTER" --cnf "$CNF" run --svc $SVC --count 2 --min 2 --max 2 --gap 0 --duration 40 \
  >"$RUN_DIR/distributor.log" 2>&1 &
DISTRIBUTOR=$!
in_work() { [[ "$(title)" == "ZELAgent-$TEL-정리중"* ]]; }
check "a call from the distributor" wait_for 100 title_is "ZELAgent-$TEL-통화중"
check "after-call work once it ends" wait_for 50 in_work
work_start=$(now_ms)
expect_eq "desk out of the distribution during the work" 1 "$(desk IS_READY)"
check "the next call" wait_for 100 title_is "ZELAgent-$TEL-통화중"
waited=$(($(now_ms) - work_start))
check "no call during the work ($waited ms, at least 2500)" [ "$waited" -ge 2500 ]
kill -TERM "$DISTRIBUTOR" 2>/dev/null
wait "$DISTRIBUTOR" 2>/dev/null
# The program's readiness statements, in order: ready at sign-in, out with the call,
# ready after the work.
states="$(tail -n +"$from_line" "$LOG" | grep -o 'update TRANSFER_NUM_INFO set IS_READY = [01]' |
  awk '{print $NF}' | head -n 3 | tr -d '\n')"
expect_eq "IS_READY written 0, 1, 0" "010" "$states"
close_console && answer_box "에러"
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
