#!/usr/bin/env bash
# The editor preview host: a snapshot without any display has the editor's
# size and changes with the settings; on a private Xvfb the host opens the
# plug-in's editor in its own window, runs idle and audio, and closes by
# itself. Skipped (exit 77) without Xvfb for the window part.
#   editor-host-test.sh SELVARINE_EDITOR
set -euo pipefail
editor=$1
scratch=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# Width and height from a PNG header (big-endian at bytes 16 and 20).
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d x %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

env -u DISPLAY "$editor" --snapshot "$scratch/a.png" --program 4 || fail "snapshot without a display"
[ "$(png_size "$scratch/a.png")" = "650 x 500" ] || fail "snapshot size $(png_size "$scratch/a.png")"
env -u DISPLAY "$editor" --snapshot "$scratch/b.png" --program 4 --set "CAB type=1"
cmp -s "$scratch/a.png" "$scratch/b.png" && fail "a setting does not change the snapshot"
if env -u DISPLAY "$editor" --snapshot "$scratch/c.png" --set "No Such Knob=1" 2>"$scratch/err"; then
  fail "an unknown parameter was accepted"
fi
grep -q 'no parameter "No Such Knob"' "$scratch/err" || fail "unknown parameter message: $(cat "$scratch/err")"

# A program the host picks while the editor is up shows as if the editor had
# been opened on it: program name, controls, panel, pads and response display.
env -u DISPLAY "$editor" --snapshot "$scratch/host.png" --program 1 --host-program 18
env -u DISPLAY "$editor" --snapshot "$scratch/direct.png" --program 18
cmp -s "$scratch/host.png" "$scratch/direct.png" || fail "the editor did not follow the host's program change"
# The states the manual pictures: an open list, a loaded response.
env -u DISPLAY "$editor" --snapshot "$scratch/menu.png" --program 4 --open-menu program
cmp -s "$scratch/a.png" "$scratch/menu.png" && fail "--open-menu changed nothing"
if env -u DISPLAY "$editor" --snapshot "$scratch/c.png" --open-menu volume 2>"$scratch/err"; then
  fail "an unknown menu was accepted"
fi
grep -q 'no menu "volume"' "$scratch/err" || fail "unknown menu message: $(cat "$scratch/err")"

if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is missing: the window part is skipped"
  exit 77
fi
exec 3<> "$scratch/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  display=$(head -n 1 "$scratch/displayfd" 2>/dev/null || true)
  [ -n "$display" ] && break
  sleep 0.1
done
[ -n "${display:-}" ] || fail "Xvfb did not start"
DISPLAY=:$display "$editor" --run-for 1 --idle-hz 15 >"$scratch/out" 2>&1 || fail "window run: $(cat "$scratch/out")"
grep -qx 'editor open (650 x 500); close the window to quit' "$scratch/out" || fail "no open line: $(cat "$scratch/out")"
grep -qx 'editor closed' "$scratch/out" || fail "no close line: $(cat "$scratch/out")"
echo "editor host: snapshot and window ok"
