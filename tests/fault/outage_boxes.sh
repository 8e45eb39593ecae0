#!/usr/bin/env bash
# An outage of about eight seconds shows the poll's error box once, with no owner
# window; the console stays usable while it is up (About opens, a call is picked up
# once the server is back, 로그아웃 works), and polling resumes by itself.
source "$(dirname "$0")/lib.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }
start_and_sign_in || exit 1

# Every box window seen, once a line, and the most seen at one time, recorded in the
# background until the stop file appears (at most 90 s).
SEEN="$RUN_DIR/boxes.seen" MOST="$RUN_DIR/boxes.most" STOP="$RUN_DIR/boxes.stop"
(
  most=0 end=$(($(now_ms) + 90000))
  while [ ! -e "$STOP" ] && (($(now_ms) < end)); do
    ids="$(box_ids)"
    n=$(grep -c . <<<"$ids")
    ((n > most)) && most=$n && echo "$most" >"$MOST"
    [ -n "$ids" ] && echo "$ids" >>"$SEEN"
    sleep 0.2
  done
) &
WATCHER=$!
trap 'touch "$STOP"; kill "$WATCHER" 2>/dev/null; finish' EXIT

db stop || fail "server stop"
down_at=$(now_ms)
check "the outage is reported" wait_for 60 eval '[ -n "$(box_ids)" ]'
box="$(box_ids | head -n 1)"
if [ -n "$box" ]; then
  check "the box has no owner window" eval "xprop -id $box WM_TRANSIENT_FOR | grep -q 'not found'"
  ms=$(ui_round_trip_ms 30)
  check "the console answers while the box is up (About in ${ms:-no} ms)" [ -n "$ms" ]
fi
# The rest of the eight seconds, the box left unanswered.
sleep $(((8000 - ($(now_ms) - down_at)) > 0 ? (8000 - ($(now_ms) - down_at)) / 1000 : 0))
db start || { fail "server start"; exit 1; }

transfer 570001
check "polling resumes by itself: the call is picked up" wait_for 80 title_is "ZELAgent-$TEL-통화중"
hangup
check "ready after the call" wait_for 50 title_is "ZELAgent-$TEL-대기중"
click_logout
check "로그아웃 works while the box is up" wait_for 50 title_is "ZELAgent-$TEL-로그아웃"
expect_eq "desk signed out" "1/00000000000000" "$(desk_state)"

if [ -n "$box" ]; then
  # Return on the box closes it and reaches nothing else (not the console's close path).
  xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key Return
  check "the box is dismissed with Return" wait_for 30 eval "! xwininfo -id $box 2>/dev/null | grep -q IsViewable"
  # Whatever the Return reached has been handled once the console has answered a key
  # pressed after it.
  ms=$(ui_round_trip_ms 30)
  check "the console answers after it (About in ${ms:-no} ms)" [ -n "$ms" ]
  check "and no other box came of it" eval '[ -z "$(box_ids)" ]'
fi
touch "$STOP"
wait "$WATCHER"
expect_eq "boxes shown during the outage" 1 "$(sort -u "$SEEN" 2>/dev/null | grep -c .)"
expect_eq "boxes up at one time, at most" 1 "$(cat "$MOST" 2>/dev/null || echo 0)"
answer_boxes 5 1
close_console
check "ended after the close" reap_agent && expect_eq "exit status" 0 "$STATUS"
done_scenario
