#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: one quiet, self-contained
# prefix per build tree, a headless X server when no display is given, a
# timeout on every run, and the program's exit code passed through.
# For the 32-bit tree, a probe decides once per --setup whether this machine
# can run 32-bit programs at all; where it cannot, every run says why and
# exits 77, which ctest reports as skipped.
#   run-in-wine.sh PROGRAM.exe [ARGS...]   run one program
#   run-in-wine.sh --setup                 create the prefix, start the servers, probe
#   run-in-wine.sh --shutdown              stop the Wine server and the X server
#   run-in-wine.sh --can-run               probe afresh: exit 0 where this tree's
#                                          programs can run here, else print why
# VORN_WINE_PROBE names the tiny 32-bit program the probe runs;
# VORN_WINE32=off makes the probe answer no, as on a machine without 32-bit support.
set -u
. "$(dirname "$0")/wine-env.sh"
verdict=$root/wine32-verdict

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

# Wine's own fonts (package fonts-wine): Marlett, whose glyphs are the
# caption's buttons, MS Sans Serif, the dialogs' font, and the other fonts a
# Windows system has. This Wine looks for fonts only in the prefix's Fonts
# folder and in fontconfig's folders, and wineboot leaves that folder empty,
# so without these links the caption's close button shows the letter "r" and
# the dialogs' text is drawn in a fontconfig stand-in with other widths.
link_wine_fonts() {
  local from=/usr/share/wine/fonts to=$WINEPREFIX/drive_c/windows/Fonts f
  [ -d "$from" ] || { echo "run-in-wine: $from is missing (package fonts-wine)" >&2; return 0; }
  mkdir -p "$to"
  for f in "$from"/*; do
    [ -e "$to/${f##*/}" ] || ln -s "$f" "$to/${f##*/}"
  done
}

make_prefix() {
  if [ -f "$WINEPREFIX/.vorn-ready" ]; then link_wine_fonts; return; fi
  rm -rf "$WINEPREFIX"
  timeout 300 "$loader" wineboot -i >"$root/wineboot.log" 2>&1 9>&- || { cat "$root/wineboot.log" >&2; exit 1; }
  # Without a window manager every window close costs seconds.
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&-
  # A program that crashes prints its backtrace and ends, instead of waiting
  # in the crash dialog for a click that never comes until the timeout.
  "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 9>&-
  timeout 60 "$server" -w 9>&- || true
  link_wine_fonts
  touch "$WINEPREFIX/.vorn-ready"
}

# Writes the verdict: "yes", or the reason why 32-bit programs cannot run.
# The loader is an i386 Linux program; a kernel without 32-bit support
# refuses it at once ("Exec format error"). A loader that starts is not
# enough: the probe program itself must run and report a 32-bit process.
probe_wine32() {
  local no="this kernel cannot run 32-bit programs"
  if [ "${VORN_WINE32:-}" = off ]; then
    echo "$no (forced by VORN_WINE32=off)" >"$verdict"; return
  fi
  if ! timeout 30 "$loader" --version >/dev/null 2>&1 9>&-; then
    echo "$no ($loader does not start)" >"$verdict"; return
  fi
  start_display; make_prefix
  local probe=${VORN_WINE_PROBE:?VORN_WINE_PROBE names the 32-bit probe program}
  if timeout 60 "$loader" "$probe" >/dev/null 2>&1 9>&-; then
    echo yes >"$verdict"
  else
    echo "$no (the 32-bit probe program did not run)" >"$verdict"
  fi
}

can_run() {
  [ "$arch" = win64 ] && return 0
  [ -f "$verdict" ] || (exec 9>"$root/lock"; flock 9; [ -f "$verdict" ] || probe_wine32)
  [ "$(cat "$verdict")" = yes ]
}

skip_unless_can_run() {
  can_run && return
  echo "skipped: $(cat "$verdict"); the 64-bit twin's _win64 tests run instead"
  exit $skip_code
}

case "${1:-}" in
  --setup)
    rm -f "$verdict"
    skip_unless_can_run
    exec 9>"$root/lock"; flock 9
    start_display; make_prefix; exit 0 ;;
  --shutdown)
    "$server" -k >/dev/null 2>&1
    [ -f "$root/xvfb.pid" ] && kill "$(cat "$root/xvfb.pid")" 2>/dev/null
    rm -f "$root/display" "$root/xvfb.pid"; exit 0 ;;
  --can-run)
    rm -f "$verdict"
    can_run || { cat "$verdict"; exit 1; }
    exit 0 ;;
esac

skip_unless_can_run
(exec 9>"$root/lock"; flock 9; start_display; make_prefix) || exit 1
start_display
out=$(mktemp -d)
# Never pipe a Wine program: what it starts would inherit the pipe.
run() {
  timeout "${VORN_WINE_TIMEOUT:-300}" "$loader" "$@" >"$out/stdout" 2>"$out/stderr"
}
run "$@"; rc=$?
# The prefix's server ends a few seconds after its last program. A program
# that starts just as it ends loses its connection before it runs ("wine
# client error: ... Connection reset by peer"; seen under a slow emulator).
# That is the runner's failure, not the program's: run it once more.
if [ $rc -ne 0 ] && ! [ -s "$out/stdout" ] && grep -q '^wine client error' "$out/stderr"; then
  echo "run-in-wine: the Wine server ended as ${1##*/} started; running it again" >&2
  timeout 10 "$server" -w 9>&-
  run "$@"; rc=$?
fi
grep -v -e '^[0-9a-f]*:err:' -e '^$' "$out/stderr" >"$out/said"
cat "$out/stdout"; cat "$out/said" >&2
# A run that fails without a word of its own still says how it ended.
if [ $rc -ne 0 ] && [ $rc -ne $skip_code ] && ! [ -s "$out/stdout" ] && ! [ -s "$out/said" ]; then
  echo "run-in-wine: ${1##*/} ended with exit code $rc and printed nothing" >&2
fi
rm -rf "$out"
exit $rc
