#!/usr/bin/env bash
# Runs a Wine test program that needs real key events. Windows programs
# cannot start xdotool, so this script types for them on the test's X
# display: the program writes "<n>.request" into the handshake folder it is
# given as --keys DIR (first line the caption of the window to type into,
# second line the keys in xdotool's names), and this script gives that
# window the focus, types the keys as a person would and answers "<n>.done"
# with "ok" or what went wrong.
#   with-real-keys.sh PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")/.." && pwd)/wine
. "$here/wine-env.sh"
# Sets up the prefix and the display, or says why this tree cannot run here (skipped).
"$here/run-in-wine.sh" --setup || exit
display=$(cat "$root/display" 2>/dev/null || echo "${DISPLAY:-}")
keys=$(mktemp -d)

# Types into the visible window with exactly this caption; prints the answer.
type_keys() {
  local caption=$1 typed=$2 window out
  window=$(DISPLAY=$display xdotool search --onlyvisible --name "^${caption}\$" 2>/dev/null | head -n 1)
  if [ -z "$window" ]; then echo "no window captioned \"$caption\" on $display"; return; fi
  # No window manager runs on the test display, and windowactivate asks one
  # (it fails there); windowfocus gives the window the X input focus, which
  # Wine takes as the user activating it.
  # shellcheck disable=SC2086 # the keys are separate words
  if out=$(DISPLAY=$display xdotool windowfocus --sync "$window" key --clearmodifiers $typed 2>&1); then
    echo ok
  else
    echo "xdotool failed: $out"
  fi
}

(
  while :; do
    for request in "$keys"/*.request; do
      [ -e "$request" ] || continue
      { read -r caption; read -r typed; } <"$request"
      rm -f "$request"
      number=${request%.request}
      type_keys "$caption" "$typed" >"$number.answer"
      mv "$number.answer" "$number.done"
    done
    sleep 0.05
  done
) &
typist=$!
trap 'kill $typist 2>/dev/null; wait $typist 2>/dev/null; rm -rf "$keys"' EXIT
"$here/run-in-wine.sh" "$@" --keys "$keys"
