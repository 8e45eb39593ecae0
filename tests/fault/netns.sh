#!/usr/bin/env bash
# Runs a command (a fault scenario under xvfb-run) in a network namespace of its own,
# with only the loopback interface up, and a scratch folder for its private database
# server in FAULT_DB_HOME. The program's port is fixed (127.0.0.1:8907); inside the
# namespace that port is the scenario's alone, so it may stop, freeze and restart its
# server while other tests use theirs. The server is stopped by its pid at the end.
#   netns.sh <command...>
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"

if [ -z "${FAULT_IN_NETNS:-}" ]; then
  # As root a new network namespace needs nothing more; otherwise a user namespace
  # maps the caller to root inside it. Where neither is allowed (a locked-down
  # container) the test reports itself skipped (77) rather than passed, and failed
  # when ZEL_NO_SKIP is set (as in CI).
  NS=(unshare -n)
  [ "$(id -u)" -eq 0 ] || NS=(unshare -r -n)
  if ! "${NS[@]}" true 2>/dev/null; then
    why="SKIP: netns: no network namespace can be made here (${NS[*]})"
    echo "$why"
    echo "$why" >&2
    [ -z "${ZEL_NO_SKIP:-}" ] || { echo "netns: ZEL_NO_SKIP is set: failed, not skipped" >&2; exit 1; }
    exit 77
  fi
  FAULT_IN_NETNS=1 exec "${NS[@]}" "$0" "$@"
fi

ip link set lo up || { echo "netns: cannot bring up the loopback interface" >&2; exit 1; }
FAULT_DB_HOME="$(mktemp -d /tmp/zelagent-faultdb-XXXXXX)"
export FAULT_DB_HOME
stop_server() {
  local pid
  pid="$(tr -dc 0-9 <"$FAULT_DB_HOME/db/mariadbd.pid" 2>/dev/null)"
  [ -n "$pid" ] && kill -CONT "$pid" 2>/dev/null
  ZEL_BUILD_DIR="$FAULT_DB_HOME" "$ROOT/scripts/db" stop >/dev/null
  rm -rf "$FAULT_DB_HOME"
}
trap stop_server EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
"$@"
