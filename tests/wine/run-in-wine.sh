#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: one quiet, self-contained
# prefix per build tree, a headless X server when no display is given, a
# timeout on every run, and the program's exit code passed through.
#   run-in-wine.sh PROGRAM.exe [ARGS...]   run one program
#   run-in-wine.sh --setup                 create the prefix and start the servers
#   run-in-wine.sh --shutdown              stop the Wine server and the X server
set -u
root=${VORN_WINE_DIR:?VORN_WINE_DIR names the folder for the Wine prefix}
mkdir -p "$root"
export HOME=$root/home WINEPREFIX=$root/prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winhlp32.exe=d"
mkdir -p "$HOME"

start_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${VORN_OWN_DISPLAY:-1}" = 0 ]; then return; fi
  if [ -f "$root/display" ] && kill -0 "$(cat "$root/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    export DISPLAY=$(cat "$root/display"); return
  fi
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    echo $! > "$root/xvfb.pid"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    echo ":$n" > "$root/display"; export DISPLAY=":$n"; return
  done
  echo "run-in-wine: no free X display" >&2; exit 1
}

make_prefix() {
  [ -f "$WINEPREFIX/.vorn-ready" ] && return
  rm -rf "$WINEPREFIX"
  timeout 300 wineboot -i >"$root/wineboot.log" 2>&1 9>&- || { cat "$root/wineboot.log" >&2; exit 1; }
  # Without a window manager every window close costs seconds.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
  timeout 60 wineserver -w 9>&- || true
  touch "$WINEPREFIX/.vorn-ready"
}

case "${1:-}" in
  --setup)
    exec 9>"$root/lock"; flock 9
    start_display; make_prefix; exit 0 ;;
  --shutdown)
    WINEPREFIX=$root/prefix wineserver -k 2>/dev/null
    [ -f "$root/xvfb.pid" ] && kill "$(cat "$root/xvfb.pid")" 2>/dev/null
    rm -f "$root/display" "$root/xvfb.pid"; exit 0 ;;
esac

(exec 9>"$root/lock"; flock 9; start_display; make_prefix) || exit 1
start_display
out=$(mktemp -d)
# Never pipe a Wine program: what it starts would inherit the pipe.
timeout "${VORN_WINE_TIMEOUT:-300}" wine "$@" >"$out/stdout" 2>"$out/stderr"
rc=$?
cat "$out/stdout"; grep -v -e '^[0-9a-f]*:err:' -e '^$' "$out/stderr" >&2
rm -rf "$out"
exit $rc
