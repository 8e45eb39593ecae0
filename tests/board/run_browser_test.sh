#!/usr/bin/env bash
# The board's browser test against the private server (scripts/db start):
#   run_browser_test.sh <zelagent-board> <zelagent-callcenter> <client.cnf> [<fallback client.cnf>]
# The board's read-only account is board.cnf beside client.cnf (written by scripts/db).
set -uo pipefail
CNF="${ZEL_DB_CLIENT_CNF:-$3}"
if [ ! -f "$CNF" ] && [ -f "${4:-}" ]; then CNF="$4"; fi
BOARD_CNF="$(dirname "$CNF")/board.cnf"
for f in "$CNF" "$BOARD_CNF"; do
  [ -f "$f" ] || { echo "board-browser: no $f (scripts/db start)" >&2; exit 1; }
done
for tool in chromium openssl python3 mariadb; do
  command -v "$tool" >/dev/null || { echo "board-browser: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done
exec python3 "$(dirname "$0")/board_browser.py" "$1" "$2" "$CNF" "$BOARD_CNF"
