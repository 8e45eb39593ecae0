#!/usr/bin/env bash
# The menu launcher's first start and later starts, from the build tree.
#   test-launcher.sh <configured zelagent-launch> <built zelagent>
# Most cases run the launcher against a stand-in program that reports its working
# folder and arguments; the last one runs the real program under Xvfb and waits for
# the sign-in's notice about the unset server address.
set -uo pipefail

LAUNCHER="$(realpath "$1")" ZELAGENT="$(realpath "$2")"
WORK="$(mktemp -d /tmp/zelagent-launch-XXXXXX)"
FAILURES=0 AGENT_PID=""
finish() {
  [ -n "$AGENT_PID" ] && kill -KILL "$AGENT_PID" 2>/dev/null
  chmod -R u+w "$WORK" 2>/dev/null
  rm -rf "$WORK"
}
trap finish EXIT

note() { echo "launcher: $*"; }
fail() { echo "launcher: FAIL: $*" >&2; FAILURES=$((FAILURES + 1)); }
check() { if "${@:2}"; then note "ok: $1"; else fail "$1"; fi; }
same() { [ "$1" == "$2" ] || { echo "  expected '$2', got '$1'" >&2; return 1; }; }

# The stand-in: prints its working folder and arguments.
STUB="$WORK/stub"
printf '#!/bin/sh\npwd -P\nprintf "%%s|" "$@"\n' >"$STUB"
chmod +x "$STUB"
# launch <home> [VAR=value...] -- <args>: the launcher with a clean environment.
launch() {
  local home="$1"
  shift
  local vars=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
  shift
  env -i PATH=/usr/bin:/bin HOME="$home" ZELAGENT_PROGRAM="$STUB" "${vars[@]}" "$LAUNCHER" "$@"
}

# First start with a fresh home: the folder, both files, then the program inside it.
H="$WORK/home1"
mkdir -p "$H"
out="$(launch "$H" -- -x 'two words')"
F="$H/.config/zelagent"
check "runs in the per-user folder" same "$(head -n 1 <<<"$out")" "$(realpath "$F")"
check "passes the arguments on" same "$(tail -n 1 <<<"$out")" "-x|two words|"
check "settings file with the unset address" \
  same "$(od -An -c "$F/Env/ZELAgent.INI" | tr -s ' \n' ' ')" \
  " [ G E N E R A L ] \r \n Z E L _ C T I _ S E R V E R _ I P _ A D D R = 1 2 7 . 0 . 0 . 1 \r \n "
check "credentials template is private" same "$(stat -c %a "$F/Env/rdbclient.cnf")" 600
check "credentials template has the group, no live account" \
  same "$(grep -c -E '^\[zelagent\]$|^(user|password)=' "$F/Env/rdbclient.cnf")" 1
check "folders are private" same "$(stat -c %a "$F" "$F/Env" | tr '\n' ' ')" "700 700 "
check "no temporary files left" same "$(find "$F" -name '.new.*' | wc -l)" 0

# A later start keeps what the user set.
printf '[GENERAL]\r\nZEL_CTI_SERVER_IP_ADDR=10.1.2.3\r\n' >"$F/Env/ZELAgent.INI"
printf '[zelagent]\nuser=kim\npassword=pw\n' >"$F/Env/rdbclient.cnf"
chmod 640 "$F/Env/rdbclient.cnf"
launch "$H" -- >/dev/null
check "keeps the stored address" grep -q '=10.1.2.3' "$F/Env/ZELAgent.INI"
check "keeps the account and its mode" \
  same "$(grep -c '^user=kim' "$F/Env/rdbclient.cnf") $(stat -c %a "$F/Env/rdbclient.cnf")" "1 640"

# A missing file alone is created again; the other stays.
rm "$F/Env/rdbclient.cnf"
launch "$H" -- >/dev/null
check "recreates a deleted template only" \
  same "$(stat -c %a "$F/Env/rdbclient.cnf") $(grep -c '=10.1.2.3' "$F/Env/ZELAgent.INI")" "600 1"

# XDG_CONFIG_HOME when absolute; a relative one is ignored as the XDG rules say.
out="$(launch "$WORK/home2" XDG_CONFIG_HOME="$WORK/xdg" --)"
check "absolute XDG_CONFIG_HOME" same "$(head -n 1 <<<"$out")" "$(realpath "$WORK")/xdg/zelagent"
mkdir -p "$WORK/home3"
out="$(cd "$WORK" && launch "$WORK/home3" XDG_CONFIG_HOME=rel --)"
check "relative XDG_CONFIG_HOME ignored" \
  same "$(head -n 1 <<<"$out")" "$(realpath "$WORK")/home3/.config/zelagent"

# A folder that cannot be made: a message, exit status 1, and no program.
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p "$WORK/ro"
  chmod 500 "$WORK/ro"
  out="$(launch "$WORK/ro" -- 2>&1)"
  check "unwritable home: status 1" same "$?" 1
  check "unwritable home: says which folder" grep -q "cannot create the folder $WORK/ro/.config" <<<"$out"
else
  # root writes anywhere; a file in the way of the folder stands in for it.
  mkdir -p "$WORK/blocked"
  : >"$WORK/blocked/.config"
  out="$(launch "$WORK/blocked" -- 2>&1)"
  check "blocked folder: status 1" same "$?" 1
  check "blocked folder: says which folder" grep -q "cannot create the folder $WORK/blocked/.config" <<<"$out"
fi

# The real program from a fresh home: it reads the new settings file and warns that
# the server address is not set.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  H="$WORK/home4"
  mkdir -p "$H"
  cat >"$WORK/real.sh" <<SCRIPT
#!/usr/bin/env bash
env -i PATH=/usr/bin:/bin HOME="$H" DISPLAY="\$DISPLAY" XAUTHORITY="\${XAUTHORITY:-}" GDK_BACKEND=x11 NO_AT_BRIDGE=1 \
  GTK_IM_MODULE=gtk-im-context-simple ZELAGENT_PROGRAM="$ZELAGENT" "$LAUNCHER" &
pid=\$!
for _ in \$(seq 200); do
  for w in \$(xdotool search --onlyvisible --pid "\$pid" 2>/dev/null); do
    if [ "\$(xdotool getwindowname "\$w")" == "알림" ]; then
      echo "cwd=\$(readlink "/proc/\$pid/cwd")"
      kill -KILL "\$pid"
      exit 0
    fi
  done
  kill -0 "\$pid" 2>/dev/null || break
  sleep 0.1
done
kill -KILL "\$pid" 2>/dev/null
exit 1
SCRIPT
  chmod +x "$WORK/real.sh"
  out="$(timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" "$WORK/real.sh")"
  check "the program shows the unset-address notice" same "$?" 0
  check "the program runs in the per-user folder" \
    same "$out" "cwd=$(realpath "$H")/.config/zelagent"
else
  fail "xvfb-run and xdotool are needed for the real program's start"
fi

[ "$FAILURES" -eq 0 ] && note "all passed" || echo "launcher: $FAILURES failure(s)" >&2
[ "$FAILURES" -eq 0 ]
