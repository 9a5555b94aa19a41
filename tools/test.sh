#!/usr/bin/env bash
# Builds the project and runs its tests in three configurations, each in its
# own folder: optimised with assertions kept (build-test-release), AddressSanitizer
# with UndefinedBehaviorSanitizer (build-test-asan) and ThreadSanitizer
# (build-test-tsan). Stops at the first failure.
#
#   tools/test.sh [release|asan|tsan ...]     (default: all three)
#
# Environment: JOBS (parallel build and test jobs, default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-2}

source "$root/tools/packages.sh"
selvarine_install_packages

configs=("$@")
[ ${#configs[@]} -eq 0 ] && configs=(release asan tsan)

# RelWithDebInfo without NDEBUG: optimised code with its assertions.
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g")

for config in "${configs[@]}"; do
  case $config in
    release) extra=(-DSELVARINE_SANITIZE=) ;;
    asan) extra=(-DSELVARINE_SANITIZE=address -DSELVARINE_BUILD_BENCH=OFF) ;;
    tsan) extra=(-DSELVARINE_SANITIZE=thread -DSELVARINE_BUILD_BENCH=OFF) ;;
    *) echo "unknown configuration '$config' (release, asan or tsan)" >&2; exit 2 ;;
  esac
  build=$root/build-test-$config
  echo "=== $config: configure and build in $build"
  start=$SECONDS
  cmake -S "$root" -B "$build" "${flags[@]}" "${extra[@]}"
  cmake --build "$build" -j "$jobs"
  echo "=== $config: test"
  # Sanitizer reports end the test process with a failure.
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:halt_on_error=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1} \
    ctest --test-dir "$build" --output-on-failure -j "$jobs"
  echo "=== $config: passed in $((SECONDS - start)) s"
done
echo "All configurations passed: ${configs[*]}"
