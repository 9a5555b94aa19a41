#!/usr/bin/env bash
# run_wine of tools/wine-session.sh against a stand-in Wine loader that plays
# each case's script of exit codes and messages: a lost server connection is
# run again once and logged, any other failure is not, output appears once.
#
#   wine-session-test.sh path/to/wine-session.sh
set -uo pipefail
source "$1"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/wine-session-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# The stand-in: attempt k prints "out k" and "err k", then behaves as the k-th
# word of $scratch/plan says: ok, lost (the lost-connection message, exit 1)
# or fail (another error, exit 3).
cat >"$scratch/fake-wine" <<'FAKE'
#!/usr/bin/env bash
count=$(( $(cat "$FAKE_DIR/count" 2>/dev/null || echo 0) + 1 ))
echo "$count" >"$FAKE_DIR/count"
read -ra plan <"$FAKE_DIR/plan"
echo "out $count"
echo "err $count" >&2
case ${plan[count - 1]:-ok} in
  ok) exit 0 ;;
  lost) echo "wine client error:0: recvmsg: Connection reset by peer" >&2; exit 1 ;;
  fail) exit 3 ;;
esac
FAKE
chmod +x "$scratch/fake-wine"
export FAKE_DIR=$scratch
wine=$scratch/fake-wine
wine_session_dir=$scratch
wine_session_log=$scratch/retries.log
WINEPREFIX=$scratch/prefix

passed=0 failed=0
# case: plan, expected status, expected runs, expected retries, expected stdout
cases=(
  "ok|0|1|0|out 1"
  "lost ok|0|2|1|out 2"
  "lost lost|1|2|1|out 2"
  "fail|3|1|0|out 1"
  "lost fail|3|2|1|out 2"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r plan want_status want_runs want_retries want_out <<<"$entry"
  echo "$plan" >"$scratch/plan"
  rm -f "$scratch/count"
  : >"$wine_session_log"
  out=$(run_wine program.exe --flag 2>"$scratch/stderr")
  status=$?
  runs=$(cat "$scratch/count")
  retries=$(wine_session_retries)
  problems=()
  [ "$status" = "$want_status" ] || problems+=("exit $status, expected $want_status")
  [ "$runs" = "$want_runs" ] || problems+=("$runs runs, expected $want_runs")
  [ "$retries" = "$want_retries" ] || problems+=("$retries retries logged, expected $want_retries")
  [ "$out" = "$want_out" ] || problems+=("standard output '$out', expected '$want_out'")
  if [ "$want_retries" -gt 0 ] && ! grep -q 'running once more: program.exe --flag' "$scratch/stderr"; then
    problems+=("the retry was not announced on standard error")
  fi
  if [ "$want_retries" -eq 0 ] && grep -q 'running once more' "$scratch/stderr"; then
    problems+=("a retry was announced without one")
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED plan '$plan': ${problems[*]}"
  fi
done
echo "wine-session: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
