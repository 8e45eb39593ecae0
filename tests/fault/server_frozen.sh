#!/usr/bin/env bash
# A server that stops answering (SIGSTOP): the window keeps answering while the poll
# hangs, every call of the program returns within the client library's timeouts
# (connect 3 s, read and write 5 s), and after SIGCONT the program works as before.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1
ms=$(ui_round_trip_ms)
check "the window answers: F1 opens About in $ms ms" [ -n "$ms" ]

db_freeze || { fail "freeze"; exit 1; }
frozen_at=$(now_ms)
ms=$(ui_round_trip_ms 30)
check "the window answers while the poll hangs ($ms ms, at most 1500)" eval '[ -n "$ms" ] && ((ms <= 1500))'
wait_for 150 has_window "에러"
ms=$(($(now_ms) - frozen_at))
# The read timeout, the poll's second and a margin for a busy machine.
check "the hung poll returned within its timeout: box after $ms ms (at most 8000)" eval '((ms <= 8000))'
answer_boxes 3 1

# A button's statement on the window's thread: the window waits for it, not longer than
# the library's timeout (a poll under way is waited for as well).
click_break
clicked_at=$(now_ms)
wait_for 200 has_window "에러"
ms=$(($(now_ms) - clicked_at))
check "휴식중 returned with its box after $ms ms (at most 7000)" eval '((ms <= 7000))'
answer_boxes 15 2

db_thaw
answer_boxes 15 3
ms=$(ui_round_trip_ms)
check "the window answers after SIGCONT: About in $ms ms" [ -n "$ms" ]
transfer 570001
check "the next call is picked up" wait_for 50 title_is "ZELAgent-$TEL-통화중"
hangup
check "ready after the call" wait_for 50 title_is "ZELAgent-$TEL-대기중"
close_console && answer_box "에러"
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"
done_scenario
