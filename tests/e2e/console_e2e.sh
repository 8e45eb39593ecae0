#!/usr/bin/env bash
# One agent's shift with the real zelagent under X (run it under xvfb-run), driven with
# xdotool against the private database, calls transferred by zelagent-callcenter.
#   console_e2e.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 560, TEL_NUM '5560', XAN_ID 560001, USER_ID 'e2e1'.
# shellcheck disable=SC2317 # the functions run through check and wait_for
set -uo pipefail

TAG=e2e SVC=560 TEL=5560 USER_ID=e2e1 AGENT=김이투 PASSWORD=pw-e2e
XAN=560001 XAN_FIRST=560000 XAN_LAST=569999
# shellcheck source=desk_lib.sh source-path=SCRIPTDIR
source "$(dirname "$0")/desk_lib.sh"
export NO_AT_BRIDGE=1
# The program's trace in agent.log tells when the call's fields are ready.
export ZELAGENT_TRACE=1
# The plain GTK input method whatever the machine has installed (ibus, for instance).
export GTK_IM_MODULE=gtk-im-context-simple

require
seed_desk

start_and_sign_in || exit 1
expect_eq "IS_READY after sign-in" 0 "$(desk IS_READY)"

# A transferred call: stamped with the agent's name within 1.5 s, the title 통화중.
"$CALLCENTER" --cnf "$CNF" transfer --svc $SVC --tel $TEL --xan 560001 --phone 0212345678 \
  --cust "홍길동 고객님 (VIP)" --cust "가입일 2019-03-02" --cust "서울시 강남구" --cust "최근 문의: 요금제" >/dev/null
start_ns=$(date +%s%N)
stamped() { [ "$(hist AGENT_NM)" == "$AGENT" ]; }
wait_for 30 stamped
ms=$((($(date +%s%N) - start_ns) / 1000000))
check "stamped with the agent's name after $ms ms (at most 1500)" eval 'stamped && ((ms <= 1500))'
check "title ZELAgent-$TEL-통화중" wait_for 20 title_is "ZELAgent-$TEL-통화중"

# Registration with the mouse: grade 중도 (7003), a memo, 통화결과 등록 (1001).
check "the call's fields are cleared for it" wait_for 30 call_fields_ready $XAN
click_du 95 117 43 12
click_du 51 131 271 66
xdotool type --delay 20 "e2e memo, it's done"
click_du 327 117 50 25
check "the registration's box answered" eval 'answer_box "알림" && wait_for 30 no_window "알림"'
expect_eq "result and memo" "03/e2e memo, it's done" "$(hist "concat(CONSULT_RESULT, '/', COMMENT)")"

"$CALLCENTER" --cnf "$CNF" hangup --svc $SVC --tel $TEL >/dev/null
check "ready after the call" wait_for 30 title_is "ZELAgent-$TEL-대기중"

# Alt+F4 while signed in asks; Yes, the default button, signs out and closes.
focus 'ZELAgent-*'
xdotool key alt+F4
check "confirmation on close" answer_box "에러"
check "the program ended after the close" reap_agent && expect_eq "exit status after close" 0 "$STATUS"
expect_eq "desk after close" "1/00000000000000" "$(desk "concat(IS_READY, '/', STATUS_START_TIME)")"

[ "$FAILURES" -eq 0 ] || exit 1
note "all passed"
