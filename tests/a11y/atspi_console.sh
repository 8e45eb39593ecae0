#!/usr/bin/env bash
# The AT-SPI test: zelagent under Xvfb (run this under xvfb-run) with a window manager
# and its own session and accessibility bus, read by atspi_console.py.
#   atspi_console.sh <zelagent> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# Keys: SVC_ID 562, TEL_NUM '5562', XAN_ID 562001, USER_ID 'a11y1'.
# shellcheck disable=SC2317 # finish runs through the trap
set -uo pipefail

HERE="$(cd "$(dirname "$0")" && pwd)"
ZELAGENT="$(realpath "$1")" CALLCENTER="$(realpath "$2")" CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
CNF="$(realpath "$CNF")"
SVC=562 TEL=5562 USER_ID=a11y1 AGENT=김접근 WM_PID=""
RUN_DIR="$(mktemp -d /tmp/zelagent-a11y-XXXXXX)"
unset NO_AT_BRIDGE
export GDK_BACKEND=x11 GTK_THEME=Adwaita GTK_IM_MODULE="${GTK_IM_MODULE:-gtk-im-context-simple}"

sql() { mariadb --defaults-file="$CNF" -N -B NEW_XAN -e "$1"; }
cleanup_rows() {
  sql "delete from TRANSFER_NUM_INFO where SVC_ID = $SVC;
       delete from TRANSFER_HIST where XAN_ID between 562000 and 562999;
       delete from USER_AGENT_INFO where USER_ID = '$USER_ID'"
}
finish() {
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  cleanup_rows
  rm -rf "$RUN_DIR"
}
trap finish EXIT

sql "select 1" >/dev/null || { echo "a11y: the private database server is not up (scripts/db start)" >&2; exit 1; }
for tool in openbox dbus-run-session /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "a11y: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done
cleanup_rows
sql "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('$USER_ID', '$AGENT', 'pw-a11y');
     insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values ($SVC, '$TEL', '$USER_ID')"
mkdir -p "$RUN_DIR/Env" && cp "$CNF" "$RUN_DIR/Env/rdbclient.cnf"
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=localhost\r\nLAST_USER_ID=%s\r\nLAST_SVC_ID=%s\r\nLAST_AGENT_NM=%s\r\nLAST_EXTENSION=%s\r\n' \
  "$USER_ID" "$SVC" "$AGENT" "$TEL" | iconv -f UTF-8 -t CP949 >"$RUN_DIR/Env/ZELAgent.INI"

openbox --sm-disable >"$RUN_DIR/wm.log" 2>&1 &
WM_PID=$!
sleep 0.5

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
