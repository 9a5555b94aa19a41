#!/usr/bin/env bash
# Compares two builds of the plug-in sample for sample. Both are driven by the
# same selvarine-bench (--digest): every case renders the demo guitar through
# the plug-in's entry point in 64-bit and in 32-bit processing, with a cabinet
# rebuild and a user response load during the render, and the outputs are
# hashed. The script prints the cases whose output differs in any bit and
# exits 1 if there are any.
#
#   tools/render-compare.sh [options] BASE NEW
#
# BASE and NEW are each a plug-in binary (a path to an .so) or a git revision
# of this repository, which is checked out into a temporary worktree and built
# (Release, plug-in target only). A revision may take some paths from another
# revision: "REV@OTHER:path1,path2" builds REV with path1 and path2 as they are
# in OTHER. That isolates a set of changes when other work was committed in
# between, e.g. "HEAD@abc123:plugin,cabinet/Convolver.h" against "HEAD".
# Uncommitted changes in the working tree take part only through an .so path.
# Revisions are built with SELVARINE_EXACT_MATHS=ON (the C library's expm1 and
# tanh in the amplifier stages on every processor); build an .so given by path
# the same way when it is compared with a build from before those functions.
#
# Options:
#   --bench PATH     selvarine-bench to use (default: build/bench/selvarine/selvarine-bench
#                    under the repository, built there if missing)
#   --programs LIST  programs (default: all 24)
#   --rates LIST     host rates (default: 44100,96000)
#   --seconds S      audio per render (default 3)
#   --keep DIR       keep the digests (base.txt, new.txt) in DIR
#
# Environment: JOBS (parallel build jobs, default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-2}
bench=""
programs=""
rates="44100,96000"
seconds=3
keep=""

usage() { sed -n '2,27p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }

while [ $# -gt 0 ]; do
  case $1 in
    --bench) bench=$2; shift 2 ;;
    --programs) programs=$2; shift 2 ;;
    --rates) rates=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    --) shift; break ;;
    -*) echo "render-compare: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -ne 2 ]; then
  usage >&2
  exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/render-compare.XXXXXX")
# The worktrees live inside the scratch folder; pruning forgets them once it is gone.
cleanup() {
  rm -rf "$scratch"
  git -C "$root" worktree prune >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Prints the path of a plug-in binary for BASE/NEW, building it when it names a revision.
plugin_for() {
  local target=$1 name=$2
  if [ -f "$target" ]; then
    echo "$target"
    return
  fi
  local rev=${target%%@*} overlay=""
  [ "$target" != "$rev" ] && overlay=${target#*@}
  local tree="$scratch/$name-src"
  git -C "$root" worktree add --detach "$tree" "$rev" >/dev/null 2>&1 \
    || { echo "render-compare: cannot check out '$rev'" >&2; exit 2; }
  if [ -n "$overlay" ]; then
    local other=${overlay%%:*} paths=${overlay#*:}
    IFS=',' read -r -a list <<< "$paths"
    git -C "$tree" checkout "$other" -- "${list[@]}" \
      || { echo "render-compare: cannot take '${paths}' from '$other'" >&2; exit 2; }
  fi
  echo "render-compare: building $name from $target ($(git -C "$tree" rev-parse --short HEAD))" >&2
  cmake -S "$tree" -B "$scratch/$name-build" -DCMAKE_BUILD_TYPE=Release -DSELVARINE_EXACT_MATHS=ON \
    -DSELVARINE_BUILD_TESTS=OFF -DSELVARINE_BUILD_BENCH=OFF >"$scratch/$name-cmake.log" 2>&1 \
    || { cat "$scratch/$name-cmake.log" >&2; exit 2; }
  cmake --build "$scratch/$name-build" --target OrvandelSelvarine -j "$jobs" >"$scratch/$name-build.log" 2>&1 \
    || { tail -40 "$scratch/$name-build.log" >&2; exit 2; }
  find "$scratch/$name-build" -name 'OrvandelSelvarine.so' -print -quit
}

if [ -z "$bench" ]; then
  bench="$root/build/bench/selvarine/selvarine-bench"
  if [ ! -x "$bench" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build" --target selvarine-bench -j "$jobs" >/dev/null
  fi
fi

base_so=$(plugin_for "$1" base)
new_so=$(plugin_for "$2" new)

args=(--digest --rates "$rates" --digest-seconds "$seconds")
[ -n "$programs" ] && args+=(--programs "$programs")
echo "render-compare: rendering with $base_so" >&2
"$bench" "${args[@]}" --plugin "$base_so" --out "$scratch/base.txt"
echo "render-compare: rendering with $new_so" >&2
"$bench" "${args[@]}" --plugin "$new_so" --out "$scratch/new.txt"

if [ -n "$keep" ]; then
  mkdir -p "$keep"
  cp "$scratch/base.txt" "$scratch/new.txt" "$keep/"
fi

cases=$(wc -l < "$scratch/base.txt")
if diff -u "$scratch/base.txt" "$scratch/new.txt" > "$scratch/diff.txt"; then
  echo "render-compare: all $cases cases identical (64-bit and 32-bit outputs, bit for bit)"
  exit 0
fi
echo "render-compare: outputs differ:"
grep '^[-+]p' "$scratch/diff.txt"
exit 1
