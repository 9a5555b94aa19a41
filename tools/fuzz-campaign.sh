#!/usr/bin/env bash
# A fuzzing campaign for one target: builds the libFuzzer targets in
# build-fuzz/ if needed (clang, ASan + UBSan), writes the target's generated
# seeds, and runs it for MINUTES from its corpus with its settings (input
# length, dictionary; the plug-in target brings its own mutator). Prints
# runs, rate, coverage and findings; exits 1 when there are findings.
#
#   tools/fuzz-campaign.sh TARGET MINUTES
#
# TARGET: wav, wav_reader, chunk, presets or plugin (fuzz_ may be put in
# front). wav_reader is the WAV reader alone and shares the WAV corpus.
# The corpus grows in build-fuzz/campaign/TARGET/corpus and is reused by the
# next campaign; findings land in build-fuzz/campaign/TARGET/findings.
#
# Environment: JOBS (parallel build jobs, default 2), RUNS (stop after this
# many executions instead of the time), FUZZ_ARGS (more libFuzzer flags).
set -euo pipefail

if [[ $# -ne 2 || ! $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 wav|wav_reader|chunk|presets|plugin MINUTES" >&2
  exit 2
fi
target=${1#fuzz_}
minutes=$2
case $target in
  wav | wav_reader) max_len=160000 dict=wav.dict ;;
  chunk | presets | plugin) max_len=11440 dict=records.dict ;;
  *) echo "unknown target: $1 (wav, wav_reader, chunk, presets or plugin)" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-fuzz
jobs=${JOBS:-2}

if [[ ! -f $build/CMakeCache.txt ]]; then
  source "$root/tools/packages.sh"
  selvarine_install_packages "${SELVARINE_PACKAGES[@]}" "${SELVARINE_FUZZ_PACKAGES[@]}"
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSELVARINE_FUZZ=ON -DSELVARINE_SANITIZE=address -DSELVARINE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$jobs" --target "fuzz_$target" >/dev/null
binary=$build/tests/fuzz/fuzz_$target

work=$build/campaign/$target
mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
SELVARINE_FUZZ_SEEDS=$work/seeds "$binary" >/dev/null

log=$work/last-run.log
limit=(-max_total_time=$((minutes * 60)))
[[ -n ${RUNS:-} ]] && limit=(-runs="$RUNS")
echo "=== fuzz_$target for ${RUNS:-$minutes min} (log: $log)"
status=0
touch "$work/started"
# shellcheck disable=SC2086
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  "$binary" "${limit[@]}" -max_len=$max_len -dict="$root/tests/fuzz/$dict" -print_final_stats=1 \
    -artifact_prefix="$work/findings/" ${FUZZ_ARGS:-} \
    "$work/corpus" "$work/seeds" "$root/tests/fuzz/corpus/${target%_reader}" >"$log" 2>&1 || status=$?

# The last status line: "#RUNS ... cov: N ft: N corp: N/SIZE ... exec/s: N".
last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
field() { sed -nE "s/.*$1:? ([0-9]+).*/\\1/p" <<<"$last"; }
runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+)/\1/p' "$log" | tail -n 1)
echo "runs:     ${runs:-$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$last")}"
echo "exec/s:   ${rate:-$(field exec/s)}"
echo "coverage: cov $(field cov), ft $(field ft), corpus $(sed -nE 's/.*corp: ([0-9]+\/[0-9A-Za-z]+).*/\1/p' <<<"$last")"
mapfile -t findings < <(find "$work/findings" -type f -newer "$work/started" | sort)
if [[ ${#findings[@]} -gt 0 || $status -ne 0 ]]; then
  echo "findings: ${#findings[@]} (libFuzzer exit status $status)"
  [[ ${#findings[@]} -gt 0 ]] && printf '  %s\n' "${findings[@]}"
  grep -m 5 -E 'ERROR|runtime error|SUMMARY' "$log" || true
  echo "replay one alone: $binary FILE"
  exit 1
fi
echo "findings: none"
