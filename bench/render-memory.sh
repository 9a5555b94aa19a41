#!/usr/bin/env bash
# Peak memory of selvarine-render against the length of the file it renders:
# the demo guitar DI looped to each length given, rendered through program 0
# with a tail, plain and with --normalize/--trim-tail (which keep the render
# in a temporary file, not in memory). A streaming renderer shows the same
# peak at every length.
#
#   bench/render-memory.sh BUILD_DIR [SECONDS ...]     (default: 60 600)
#
# Needs GNU time (/usr/bin/time) and python3; BUILD_DIR must hold
# tools/selvarine-render, tools/selvarine-demo-di and the plug-in.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -x "$1/tools/selvarine-render" ] || [ ! -x "$1/tools/selvarine-demo-di" ]; then
  sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
build=$1
shift
lengths=("$@")
[ ${#lengths[@]} -eq 0 ] && lengths=(60 600)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/render-memory.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

"$build/tools/selvarine-demo-di" "$scratch/demo.wav"
printf '%8s  %-28s  %12s  %8s\n' seconds options "peak KiB" "user s"
for seconds in "${lengths[@]}"; do
  python3 - "$scratch/demo.wav" "$scratch/in.wav" "$seconds" <<'PY'
import sys, wave
source, target, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
with wave.open(source) as w:
    params, frames = w.getparams(), w.readframes(w.getnframes())
step = params.sampwidth * params.nchannels
left = int(seconds * params.framerate) * step
with wave.open(target, "wb") as out:
    out.setparams(params)
    while left > 0:
        chunk = frames[:min(left, len(frames))]
        out.writeframes(chunk)
        left -= len(chunk)
PY
  for options in "" "--normalize -1 --trim-tail"; do
    # shellcheck disable=SC2086 # the options are words
    /usr/bin/time -f '%M %U' -o "$scratch/time.txt" \
      "$build/tools/selvarine-render" --quiet --program 0 --tail 2 $options "$scratch/in.wav" "$scratch/out.wav"
    read -r peak user < "$scratch/time.txt"
    printf '%8s  %-28s  %12s  %8s\n' "$seconds" "${options:-(plain)}" "$peak" "$user"
  done
done
