#!/usr/bin/env bash
# The demo's played shift on a server of its own (run it under tests/fault/netns.sh and
# xvfb-run) with no call distributor: no call ever comes, so the shift cannot complete
# and the demo must end with a non-zero status saying why.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
TAG=demo
RUN_DIR="$(mktemp -d /tmp/zelagent-demo-XXXXXX)"
trap 'rm -rf "$RUN_DIR"' EXIT

ZEL_BUILD_DIR="$FAULT_DB_HOME" "$ROOT/scripts/db" start --demo >/dev/null || exit 1
mkdir -p "$RUN_DIR/Env"
cp "$FAULT_DB_HOME/db/client.cnf" "$RUN_DIR/Env/rdbclient.cnf"
chmod 600 "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=agent01\r\nLAST_SVC_ID=10\r\nLAST_AGENT_NM=김민준\r\nLAST_EXTENSION=2001\r\n' |
  iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"

status=0
ZEL_DEMO_RUN_DIR="$RUN_DIR" ZEL_DEMO_SHOTS_DIR="$RUN_DIR/shots" ZEL_DEMO_CALL_WAIT=5 \
  "$ROOT/scripts/demo" --played-shift >"$RUN_DIR/demo.log" 2>&1 || status=$?
if [ "$status" -ne 0 ] && grep -q "the played shift did not complete: no call 1 came" "$RUN_DIR/demo.log"; then
  echo "$TAG: ok: the shift without calls ended with status $status"
  exit 0
fi
echo "$TAG: FAIL: the shift without calls ended with status $status; its output:" >&2
cat "$RUN_DIR/demo.log" >&2
exit 1
