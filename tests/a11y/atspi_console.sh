#!/usr/bin/env bash
# The AT-SPI test: zelagent under Xvfb (run this under xvfb-run) with a window manager
# and its own session and accessibility bus, read by atspi_console.py.
#   atspi_console.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 562, TEL_NUM '5562', XAN_ID 562001, USER_ID 'a11y1'.
set -uo pipefail

HERE="$(cd "$(dirname "$0")" && pwd)"
TAG=a11y SVC=562 TEL=5562 USER_ID=a11y1 AGENT=김접근 PASSWORD=pw-a11y
XAN=562001 XAN_FIRST=562000 XAN_LAST=562999
# shellcheck source=../e2e/desk_lib.sh source-path=SCRIPTDIR
source "$HERE/../e2e/desk_lib.sh"
CNF="$(realpath "$CNF")"
unset NO_AT_BRIDGE

require openbox dbus-run-session /usr/bin/python3
seed_desk
start_wm

# A session bus of its own; it starts the accessibility bus and its registry on demand.
# Debian's own python: python3-pyatspi is installed for it.
dbus-run-session -- timeout 150 /usr/bin/python3 "$HERE/atspi_console.py" \
  "$ZELAGENT" "$CALLCENTER" "$CNF" "$RUN_DIR" "$SVC" "$TEL"
status=$?
if [ "$status" -ne 0 ]; then
  echo "a11y: failed ($status); the program's output:" >&2
  cat "$RUN_DIR/agent.log" >&2
fi
exit "$status"
