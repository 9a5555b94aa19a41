#!/usr/bin/env bash
# Builds the libFuzzer targets (WAV reader alone and with the response
# engine, host state chunks, preset and bank files, the plug-in end to end)
# with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs each briefly from its
# generated seeds and committed corpus. Any crash or sanitizer report fails.
# For long campaigns see tools/fuzz-campaign.sh and tests/fuzz/README.md.
#
# Environment: JOBS (parallel build jobs, default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-2}

source "$root/tools/packages.sh"
selvarine_install_packages "${SELVARINE_PACKAGES[@]}" "${SELVARINE_FUZZ_PACKAGES[@]}"

build=$root/build-fuzz
start=$SECONDS
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSELVARINE_FUZZ=ON -DSELVARINE_SANITIZE=address -DSELVARINE_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs" --target fuzz_wav fuzz_wav_reader fuzz_chunk fuzz_presets fuzz_plugin
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  ctest --test-dir "$build" -R '^fuzz_' --output-on-failure
echo "=== fuzz smoke run passed in $((SECONDS - start)) s"
