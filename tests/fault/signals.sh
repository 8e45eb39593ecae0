#!/usr/bin/env bash
# SIGTERM and SIGINT while ready, on break and in a call: the program ends with 128 + the
# signal and the desk is signed out (IS_READY 1, STATUS_START_TIME '00000000000000').
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/signal_in.sh"
db start && seed_agent && write_env || { fail "private server"; exit 1; }

for signal in TERM INT; do
  for state in ready break call; do signal_in $signal $state; done
done
done_scenario
