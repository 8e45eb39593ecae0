#!/usr/bin/env bash
# SIGTERM while a box is open and during the sign-in, SIGHUP, a second signal, and the
# display going away: the program ends (128 + the signal, or 1 for the display) and a
# signed-in desk is signed out (IS_READY 1, STATUS_START_TIME '00000000000000').
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/signal_in.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }

signal_in TERM box
signal_in HUP ready
signal_in TERM signin

# A second signal ends the program at once, even while the first one's sign-out waits
# for a server that does not answer.
if check "desk reset" reset_desk && start_and_sign_in; then
  db_freeze
  kill -TERM "$AGENT_PID"
  check "the first signal is being handled" wait_for 50 traced "CAgentApp signal 15"
  kill -TERM "$AGENT_PID"
  second_at=$(now_ms)
  check "a second SIGTERM ends the program at once" reap_agent 30 &&
    expect_eq "exit status after the second SIGTERM" 143 "$STATUS"
  note "ended $(($(now_ms) - second_at)) ms after the second signal"
  db_thaw
  [ -z "$AGENT_PID" ] || reap_agent 300
fi

# The display going away (the end of the desktop session without a signal): the desk
# is signed out and the program ends with status 1. The program runs on an X server of
# its own for this, which is then ended.
(exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$RUN_DIR/display" 2>/dev/null) &
XSERVER=$!
trap '[ -n "$XSERVER" ] && kill "$XSERVER" 2>/dev/null; finish' EXIT
if check "a second X server" wait_for 100 grep -q . "$RUN_DIR/display"; then
  OUTER_DISPLAY="$DISPLAY"
  DISPLAY=":$(tr -dc 0-9 <"$RUN_DIR/display")"
  export DISPLAY
  # The number is written as the server starts; GTK has been seen to find no display
  # just after it, so the program starts once a client has been answered.
  x_answers() { xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }
  if check "the second X server answers" wait_for 100 x_answers &&
    check "desk reset" reset_desk && start_and_sign_in; then
    kill -TERM "$XSERVER"
    check "display lost: the program ended" reap_agent 150 && expect_eq "display lost: exit status" 1 "$STATUS"
    expect_eq "display lost: desk signed out" "1/00000000000000" "$(desk_state)"
  fi
  export DISPLAY="$OUTER_DISPLAY"
fi
# Ended above once the program runs on it; ended here if the start failed, so that a
# failure ends the scenario instead of waiting for an X server nobody stops.
kill -TERM "$XSERVER" 2>/dev/null
wait "$XSERVER" 2>/dev/null
XSERVER=""
done_scenario
