#!/usr/bin/env bash
# Sets up a Debian/Ubuntu machine, builds the plug-in and its tools (Release),
# installs OrvandelSelvarine.so into a VST folder, generates the demo guitar DI
# recording and renders it through a few factory programs into out/.
#
#   tools/demo.sh
#
# Environment: SELVARINE_VST_DIR (install folder, default ~/.vst),
# BUILD_DIR (default build-release), JOBS (parallel build jobs, default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
vst_dir=${SELVARINE_VST_DIR:-$HOME/.vst}
jobs=${JOBS:-2}
out=$root/out

source "$root/tools/packages.sh"
selvarine_install_packages

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DSELVARINE_BUILD_TESTS=OFF -DSELVARINE_BUILD_BENCH=OFF \
  -DSELVARINE_VST_INSTALL_DIR="$vst_dir"
cmake --build "$build" -j "$jobs"
cmake --install "$build"
plugin=$vst_dir/OrvandelSelvarine.so
echo "Installed $plugin"

mkdir -p "$out"
"$build/tools/selvarine-demo-di" "$out/demo-di.wav"
echo "Wrote $out/demo-di.wav"

render() {
  local program=$1 file=$2
  "$build/tools/selvarine-render" --plugin "$plugin" --program "$program" --tail 2 \
    "$out/demo-di.wav" "$out/$file"
  echo "Wrote $out/$file ($program)"
}
render "Clean Reverb" clean-reverb.wav
render "Crack and Crunch" crack-and-crunch.wav
render "Stoner Age" stoner-age.wav
render "Springverb" springverb.wav
