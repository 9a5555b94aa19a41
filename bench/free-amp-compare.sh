#!/usr/bin/env bash
# Times an offline render of the demo guitar through a factory program against
# the same file through the free Guitarix high-gain amplifier (gxmetal_amp) in
# lv2file, in paired runs (ours, theirs, ours, theirs, ...), and prints the
# medians of the CPU seconds (user + system) and their ratio.
#
#   bench/free-amp-compare.sh BUILD_DIR [PROGRAM] [PAIRS] [PLUGIN.so]
#
# AUDIO_SECONDS (default 60) sets the length of the input.
# BUILD_DIR holds a Release build with tools/selvarine-render and
# tools/selvarine-demo-di; PROGRAM is a program index or name (default 0),
# PAIRS the number of paired runs (default 5), PLUGIN the plug-in to time
# (default the one in the build). The comparison needs the Debian packages
# guitarix-lv2 and lv2file, which are not part of the build: install them for
# the measurement (apt-get install guitarix-lv2 lv2file).
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR [PROGRAM] [PAIRS] [PLUGIN.so]}
program=${2:-0}
pairs=${3:-5}
plugin=${4:-$build/vst/OrvandelSelvarine.so}
amp=http://guitarix.sourceforge.net/plugins/gxmetal_amp#metal_amp

command -v lv2file >/dev/null || { echo "lv2file is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The demo guitar (mono, 24-bit, 44.1 kHz), looped to the length asked for.
"$build/tools/selvarine-demo-di" "$work/di.wav"
python3 - "$work/di.wav" "$work/in.wav" "${AUDIO_SECONDS:-60}" <<'PY'
import sys, wave
src = wave.open(sys.argv[1])
params = src.getparams()
frames = src.readframes(params.nframes)
want = int(sys.argv[3]) * params.framerate * params.sampwidth * params.nchannels
data = (frames * (want // len(frames) + 1))[:want]
out = wave.open(sys.argv[2], "wb")
out.setparams(params)
out.writeframes(data)
PY

cpu() { # prints the user + system CPU seconds of a command
  /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null 2>&1
  awk '{ printf "%.3f\n", $1 + $2 }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours=() theirs=()
for _ in $(seq "$pairs"); do
  ours+=("$(cpu "$build/tools/selvarine-render" --plugin "$plugin" --quiet --program "$program" --block 512 \
    "$work/in.wav" "$work/ours.wav")")
  theirs+=("$(cpu lv2file --ignore-clipping -b 512 -i "$work/in.wav" -o "$work/theirs.wav" "$amp")")
done
a=$(printf '%s\n' "${ours[@]}" | median)
b=$(printf '%s\n' "${theirs[@]}" | median)
echo "program $program: ${ours[*]} s (median $a)"
echo "gxmetal_amp: ${theirs[*]} s (median $b)"
awk -v a="$a" -v b="$b" 'BEGIN { printf "time ratio (ours / theirs): %.2f\n", a / b }'
