# One Wine session for a script that runs Windows programs: a fresh prefix in a
# scratch folder, one persistent Wine server for the whole session, and a way to
# run a Windows program that retries it once, loudly, when it loses its server.
# Sourced by wine-check.sh; any script that starts Wine uses it the same way:
#
#   source tools/wine-session.sh
#   wine_session_start "$scratch"     # prefix in $scratch/prefix, server started
#   run_wine program.exe args...      # instead of "$wine" program.exe args...
#   ...
#   wine_session_end                  # in the script's EXIT trap; prints the retries
#
# Why one persistent server: without it the server shuts down a moment after
# its last client exits, and a client that connects during that shutdown dies
# with "wine client error:0: recvmsg: Connection reset by peer". Scripts that
# start one Wine program after another hit that window now and then under load.
#
# Environment: WINE (the Wine loader; default /usr/lib/wine/wine64, else wine64
# or wine). Sets WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES and the variables
# `wine` and `wineserver`.

# The loader and its server, or an error when Wine is not installed.
wine_session_find() {
  wine=${WINE:-}
  if [ -z "$wine" ]; then
    local candidate
    for candidate in /usr/lib/wine/wine64 wine64 wine; do
      if command -v "$candidate" >/dev/null 2>&1; then
        wine=$(command -v "$candidate")
        break
      fi
    done
  fi
  if [ -z "$wine" ]; then
    echo "error: Wine is missing (install wine and wine64; see tools/packages.sh)" >&2
    return 1
  fi
  wineserver=$(dirname "$wine")/wineserver
  command -v "$wineserver" >/dev/null 2>&1 || wineserver=wineserver
}

# Makes a new prefix under the given folder and starts its persistent server.
wine_session_start() {
  local scratch=$1
  wine_session_find || return 1
  wine_session_dir=$scratch
  export WINEPREFIX=$scratch/prefix
  export WINEDEBUG=-all
  # No .NET or HTML engine installers for the new prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wine_session_log=$scratch/wine-retries.log
  : >"$wine_session_log"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  # wineboot's own server winds down first; then one server that stays until
  # wine_session_end stops it serves every program of the session.
  "$wineserver" -w >/dev/null 2>&1 || true
  "$wineserver" -p
}

# Stops the session's server; reports every retried program on standard error.
wine_session_end() {
  [ -n "${wineserver:-}" ] && "$wineserver" -k >/dev/null 2>&1 || true
  if [ -s "${wine_session_log:-}" ]; then
    echo "Wine programs retried after losing their server connection: $(wc -l <"$wine_session_log")" >&2
    sed 's/^/  retried: /' "$wine_session_log" >&2
  fi
}

# The number of programs retried so far (0 when none).
wine_session_retries() {
  if [ -s "${wine_session_log:-}" ]; then wc -l <"$wine_session_log"; else echo 0; fi
}

# Runs a Windows program under Wine. When it fails having lost its connection
# to the server, it is run once more and the retry is logged and announced;
# the second run's result stands. Output is held back until the run that
# counts is over, so a retried program never prints twice.
run_wine() {
  local out err status attempt
  out=$(mktemp "$wine_session_dir/wine-out.XXXXXX")
  err=$(mktemp "$wine_session_dir/wine-err.XXXXXX")
  for attempt in 1 2; do
    status=0
    "$wine" "$@" >"$out" 2>"$err" || status=$?
    if [ "$status" -ne 0 ] && [ "$attempt" -eq 1 ] && wine_lost_server "$err"; then
      echo "$* (exit $status: $(grep -m1 -E 'wine client error|Connection reset' "$err"))" >>"$wine_session_log"
      echo "warning: Wine lost its server connection; running once more: $*" >&2
      continue
    fi
    break
  done
  cat "$out"
  cat "$err" >&2
  rm -f "$out" "$err"
  return "$status"
}

# Whether a program's error output shows a lost connection to the Wine server.
wine_lost_server() {
  grep -qE 'wine client error:[0-9]*:|Connection reset by peer|wineserver: could not' "$1"
}
