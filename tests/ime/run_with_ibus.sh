#!/usr/bin/env bash
# Runs a GUI test program with a real Hangul input method: its own session bus, its
# own X server (Xvfb), ibus-daemon with the Hangul engine in Hangul mode, and the
# GTK input-method module of ibus loaded from a private module cache, so nothing
# outside this run is configured for ibus.
#   run_with_ibus.sh <test program> [arguments...]
# Exit status: the program's; 77 when ibus cannot be started here (CTest: skipped), or 1
# then when ZEL_NO_SKIP is set (as in CI).
set -uo pipefail

# The reason on both outputs, so that CTest's report of the skipped test carries it.
skip() {
  echo "SKIP: $*"
  echo "SKIP: $*" >&2
  [ -z "${ZEL_NO_SKIP:-}" ] || { echo "ime: ZEL_NO_SKIP is set: failed, not skipped" >&2; exit 1; }
  exit 77
}

if [ "${1:-}" != "--inside" ]; then
  [ $# -ge 1 ] || { echo "usage: $0 <test program> [arguments...]" >&2; exit 2; }
  for tool in xvfb-run xdotool; do # as every GUI test needs them
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
  done
  for tool in ibus-daemon ibus dbus-run-session gsettings; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  first_file() { for f in "$@"; do [ -f "$f" ] && { echo "$f"; return; }; done; }
  module=$(first_file /usr/lib/*/gtk-3.0/3.0.0/immodules/im-ibus.so)
  query=$(command -v gtk-query-immodules-3.0 || first_file /usr/lib/*/libgtk-3-0/gtk-query-immodules-3.0)
  if [ -z "$module" ] || [ -z "$query" ]; then
    skip "the GTK 3 module of ibus (ibus-gtk3) or gtk-query-immodules-3.0 is missing"
  fi

  work=$(mktemp -d "${TMPDIR:-/tmp}/zel-ime.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  # dconf, ibus and GTK keep their state under these: all of it inside this run.
  mkdir -p "$work/home" "$work/config" "$work/cache" "$work/data" "$work/runtime"
  chmod 700 "$work/runtime"
  export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
  export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
  "$query" "$module" >"$work/immodules.cache" 2>/dev/null
  grep -q '"ibus"' "$work/immodules.cache" || skip "no ibus module in the cache"
  export GTK_IM_MODULE_FILE="$work/immodules.cache" GTK_IM_MODULE=ibus
  export GDK_BACKEND=x11 NO_AT_BRIDGE=1 GTK_THEME=Adwaita LANG=C.UTF-8 LC_ALL=C.UTF-8
  dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -noreset" \
    "$0" --inside "$@"
  exit $?
fi

# Inside the session bus and the X server.
shift
started=""
# shellcheck disable=SC2317 # runs from the EXIT trap
stop_daemon() {
  if [ -n "$started" ] && kill -0 "$started" 2>/dev/null; then
    kill "$started" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$started" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$started" 2>/dev/null
  fi
}
trap stop_daemon EXIT

# Hangul mode from the first key (the engine starts in Latin mode otherwise).
gsettings set org.freedesktop.ibus.engine.hangul initial-input-mode hangul 2>/dev/null

ibus-daemon --panel=disable --emoji-extension=disable --replace --verbose \
  >"$XDG_CACHE_HOME/ibus-daemon.log" 2>&1 &
started=$!

ready=""
for _ in $(seq 1 200); do # at most about 20 s
  if ! kill -0 "$started" 2>/dev/null; then break; fi
  if ibus engine hangul >/dev/null 2>&1 && [ "$(ibus engine 2>/dev/null)" = hangul ]; then
    ready=1
    break
  fi
  sleep 0.1
done
if [ -z "$ready" ]; then
  cat "$XDG_CACHE_HOME/ibus-daemon.log" >&2
  skip "ibus-daemon with the Hangul engine did not start"
fi
if [ "$(gsettings get org.freedesktop.ibus.engine.hangul initial-input-mode 2>/dev/null)" != "'hangul'" ]; then
  skip "the Hangul engine's settings could not be written"
fi

# The test program finds this daemon by its address, whatever the machine id says.
IBUS_ADDRESS="$(ibus address 2>/dev/null)"
[ -n "$IBUS_ADDRESS" ] && export IBUS_ADDRESS
"$@"
