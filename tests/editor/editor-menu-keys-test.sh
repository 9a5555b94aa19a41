#!/usr/bin/env bash
# The keys of an open menu list inside a host that keeps the keyboard focus:
# the preview host (selvarine-editor, the real plug-in binary) rests its focus
# on a window of its own, as hosts' toolkits do. A real click (xdotool, no
# --window, so the server delivers it like the user's) opens the program
# menu; the list must take the focus, so that Down and Return, typed at
# whatever window has the focus, choose the next program; Escape must close
# the list without a choice. Both times the focus goes back to the host.
# Skipped (exit 77) without Xvfb or xdotool.
#   editor-menu-keys-test.sh SELVARINE_EDITOR
set -euo pipefail
editor=$1
scratch=$(mktemp -d)
xvfb_pid=
editor_pid=
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; [ -f "$scratch/out" ] && cat "$scratch/out" >&2; exit 1; }

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: skipped"
    exit 77
  fi
done
exec 3<> "$scratch/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  display=$(head -n 1 "$scratch/displayfd" 2>/dev/null || true)
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "${display:-}" ] || fail "Xvfb did not start"
export DISPLAY=:$display

# Waits until a shell condition holds, up to the given seconds (default 10;
# sanitizer builds on a busy machine start and react slowly).
wait_for() {
  local tenths=$(( ${2:-10} * 10 ))
  for _ in $(seq 1 "$tenths"); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}
focus() { xdotool getwindowfocus -f 2>/dev/null || echo none; }
# The editor is still open: its host prints the program once it has closed
# the editor, before its own window goes (and the focus with it), so ask
# this after looking at the focus.
open() { ! grep -q '^program ' "$scratch/out"; }

# One editor session: opens the program menu by a click, types the keys
# given and sets $program to the program the plug-in is on at the end.
#   session NAME KEYS-AFTER-OPENING [KEYS-AFTER-CLOSING]
session() {
  local name=$1 keys=$2 later=${3:-}
  "$editor" --run-for 15 --idle-hz 30 >"$scratch/out" 2>&1 &
  editor_pid=$!
  wait_for 'grep -q "^editor open" "$scratch/out"' 30 || fail "$name: the editor did not open"
  local window host_focus
  window=$(xdotool search --sync --name "Selvarine" | head -n 1)
  host_focus=$(focus)
  [ "$host_focus" != none ] || fail "$name: nobody has the keyboard"
  # The program menu lies at 154,6..320,24 of the editor.
  xdotool mousemove --window "$window" 240 15 click 1
  wait_for '[ "$(focus)" != "$host_focus" ] && open' || fail "$name: the open list did not take the keyboard (focus $(focus))"
  xdotool key --delay 100 $keys
  wait_for '[ "$(focus)" = "$host_focus" ] && open' || fail "$name: the keyboard did not go back to the host (focus $(focus), the host $host_focus)"
  if [ -n "$later" ]; then
    xdotool key --delay 100 $later
  fi
  wait "$editor_pid" || fail "$name: the editor host failed"
  editor_pid=
  grep -x 'editor closed' "$scratch/out" >/dev/null || fail "$name: no close line"
  program=$(grep '^program ' "$scratch/out" | cut -d' ' -f2)
}

session "down and return" "Down Return"
[ "$program" = 2 ] || fail "Down and Return in the open list: program $program, expected 2"
# Escape closes the list; the keys after it go to the host, not to a list.
session "escape" "Escape" "Down Return"
[ "$program" = 1 ] || fail "Escape, then Down and Return: program $program, expected 1"
echo "menu keys: Down, Return and Escape reach the open list; the host gets the keyboard back"
