#!/usr/bin/env bash
# Checks the Windows build of the plug-in against the Linux build. Under Wine
# the Windows renderer loads the Windows DLL and renders every factory program
# of a short stereo guitar signal; each render must equal the Linux render of
# the same input, program and rate to within 1e-5 per sample (-100 dBFS: the
# two C runtimes' exp and tanh may differ in the last bit), and bypassed audio
# must come out bit-exact. One program is also rendered in 64-bit processing
# and one at 96 kHz. Parameter display texts and the bank chunk must be the
# same as well, and the DLL's platform layer must know the DLL's own file name
# and instance handle. The widget toolkit's Win32 window is opened, clicked,
# dragged, compared with its own picture and closed on a private Xvfb; the
# DLL's editor is opened, clicked and closed there, and the Windows editor
# preview host opens it in its own window and renders a snapshot that must
# equal the Linux one pixel for pixel. The DLL's export and import lists are
# checked by tools/build-windows.sh, which this script runs.
#
#   tools/wine-check.sh
#
# The native build is build-test-release when it exists (tools/test.sh makes
# it), otherwise build-winnative (Release, configured here); only the targets
# needed here are built. The cross build is build-win. Wine runs in a fresh
# prefix in a temporary folder that is removed afterwards, with one private
# Xvfb for the whole session (the window checks need a display).
#
# Environment: JOBS (default 2), SELVARINE_NATIVE_BUILD, SELVARINE_WIN_BUILD,
# WINE (the Wine loader; default /usr/lib/wine/wine64, else wine64 or wine;
# tools/wine-session.sh keeps one Wine server running for the whole check),
# SELVARINE_WINE_TOLERANCE (default 1e-5).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-2}
tolerance=${SELVARINE_WINE_TOLERANCE:-1e-5}
start=$SECONDS

source "$root/tools/packages.sh"
selvarine_install_packages
selvarine_install_packages "${SELVARINE_WINDOWS_PACKAGES[@]}"

# --- Builds ------------------------------------------------------------------------
native=${SELVARINE_NATIVE_BUILD:-}
if [ -z "$native" ]; then
  if [ -f "$root/build-test-release/CMakeCache.txt" ]; then
    native=$root/build-test-release
  else
    native=$root/build-winnative
  fi
fi
if [ ! -f "$native/CMakeCache.txt" ]; then
  echo "=== native: configure $native"
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DSELVARINE_BUILD_TESTS=OFF -DSELVARINE_BUILD_BENCH=OFF
fi
echo "=== native: build in $native"
cmake --build "$native" -j "$jobs" --target OrvandelSelvarine selvarine-render selvarine-compare selvarine-editor \
  selvarine-test-signal selvarine_bankgen
SELVARINE_NATIVE_BUILD=$native JOBS=$jobs bash "$root/tools/build-windows.sh"
win=${SELVARINE_WIN_BUILD:-$root/build-win}

# --- Wine ---------------------------------------------------------------------------
source "$root/tools/wine-session.sh"
wine_session_find
scratch=$(mktemp -d "${TMPDIR:-/tmp}/selvarine-wine.XXXXXX")
unset DISPLAY WAYLAND_DISPLAY
export HOME=${HOME:-$scratch}
# Nothing under Wine reads the terminal (CI has none).
exec </dev/null
cleanup() {
  wine_session_end
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# The window checks need a display: a private Xvfb, on a display it picks
# itself. It is started before the prefix is made, so the session's one
# persistent Wine server and its desktop process know the display from the
# start (a desktop process started without one cannot open windows later).
xvfb_pid=""
xvfb_display=""
if command -v Xvfb >/dev/null 2>&1; then
  # Xvfb writes the number of the display it chose into the file once it is ready.
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$scratch/xvfb.display" 2>/dev/null &
  xvfb_pid=$!
  for ((wait_steps = 0; wait_steps < 200; ++wait_steps)); do
    xvfb_display=$(head -n 1 "$scratch/xvfb.display" 2>/dev/null || true)
    [ -n "$xvfb_display" ] && break
    sleep 0.1
  done
  [ -n "$xvfb_display" ] && export DISPLAY=:$xvfb_display
fi

wine_start=$SECONDS
echo "=== Wine: new prefix in $scratch/prefix ($("$wine" --version 2>/dev/null || echo "version unknown")), one persistent server"
wine_session_start "$scratch"

# A file of the build machine as a Windows program sees it: drive Z: is the
# root of the file system, with backslashes between folders.
windows_path() {
  local path=$1
  echo "Z:${path//\//\\}"
}

native_render=$native/tools/selvarine-render
native_plugin=$native/vst/OrvandelSelvarine.so
win_render=$win/tools/selvarine-render.exe
win_plugin=$(windows_path "$win/vst/OrvandelSelvarine.dll")
compare=$native/tools/selvarine-compare

input=$scratch/input.wav
"$native/tools/selvarine-test-signal" "$input" 2

failures=()
checks=0 # checks made; each adds at most one failure

# --- The Windows renderer finds its plug-in and lists the same programs ------------------
echo "=== Windows renderer: identity and programs (default plug-in path)"
checks=$((checks + 2))
if ! info=$(run_wine "$win_render" --info 2>&1); then
  echo "$info" >&2
  failures+=("the Windows renderer does not load the plug-in it was built with")
  info=""
fi
echo "$info" | sed -n '1,3p'
if ! echo "$info" | grep -q '^Plug-in:.*\\vst\\OrvandelSelvarine\.dll (entry VSTPluginMain)'; then
  failures+=("the default plug-in of the Windows renderer is not the DLL of its build tree")
fi
# A renderer copied together with the DLL into a folder of their own loads the
# DLL beside it.
mkdir -p "$scratch/portable"
checks=$((checks + 1))
cp "$win_render" "$win/vst/OrvandelSelvarine.dll" "$scratch/portable/"
portable_info=$(run_wine "$scratch/portable/selvarine-render.exe" --info 2>&1 | tr -d '\r' || true)
if ! echo "$portable_info" | grep -qF "Plug-in:         $(windows_path "$scratch/portable/OrvandelSelvarine.dll") (entry"; then
  echo "$portable_info" >&2
  failures+=("a renderer beside the DLL does not load that DLL by default")
fi
linux_programs=$("$native_render" --plugin "$native_plugin" --list-programs | sed 's/^[* ] *[0-9]*  //')
windows_programs=$(run_wine "$win_render" --plugin "$win_plugin" --list-programs | tr -d '\r' | sed 's/^[* ] *[0-9]*  //')
checks=$((checks + 1))
if [ "$linux_programs" != "$windows_programs" ]; then
  failures+=("the program lists differ")
fi
count=$(echo "$linux_programs" | wc -l)
echo "$count programs"

# --- Identity, parameter displays and state chunks are the same ---------------------------
# Display texts go through each C runtime's number formatting; chunks hold
# the program records byte for byte.
echo "=== Identity and parameter displays of every program, bank chunk"
displays_differ=()
checks=$((checks + 2)) # displays, chunk
for ((p = 0; p < count; ++p)); do
  linux_text=$("$native_render" --plugin "$native_plugin" --program "$p" --info --list-params | tail -n +2)
  windows_text=$(run_wine "$win_render" --plugin "$win_plugin" --program "$p" --info --list-params | tr -d '\r' |
                 tail -n +2)
  [ "$linux_text" = "$windows_text" ] || displays_differ+=("$p")
done
if [ ${#displays_differ[@]} -gt 0 ]; then
  failures+=("identity or parameter displays differ for programs ${displays_differ[*]}")
fi
"$native_render" --plugin "$native_plugin" --program 5 --set "Amp Gain=0.3" --chunk-out "$scratch/linux.chunk"
run_wine "$win_render" --plugin "$win_plugin" --program 5 --set "Amp Gain=0.3" \
  --chunk-out "$(windows_path "$scratch/windows.chunk")"
if ! cmp -s "$scratch/linux.chunk" "$scratch/windows.chunk"; then
  failures+=("the bank chunks of the two builds differ")
fi

# --- The platform layer knows the DLL it is linked into -----------------------------
# Checked at an ordinary path and at one of 259 characters, the longest a
# library loaded by its ANSI name can have.
echo "=== Module name and handle recorded at attach"
probe_dll=$win/tools/windows-checks/selvarine-module-probe.dll
probe_host=$win/tools/windows-checks/selvarine-module-probe-host.exe
probe_name=$(basename "$probe_dll")
pad_length=$((259 - 3 - ${#scratch} - 1 - ${#probe_name}))
long_folder=$scratch/$(printf '%*s' "$pad_length" '' | tr ' ' 'p')
mkdir -p "$long_folder"
cp "$probe_dll" "$long_folder/"
for dll in "$probe_dll" "$long_folder/$probe_name"; do
  checks=$((checks + 1))
  if ! run_wine "$probe_host" "$(windows_path "$dll")"; then
    failures+=("the platform layer does not report the DLL's own name and handle at $(windows_path "$dll")")
  fi
done

# --- The toolkit's Win32 window ------------------------------------------------------
# On the session's private Xvfb the window check opens, draws, clicks, drags,
# closes and reopens the toolkit's window, and prints one line per check.
echo "=== Toolkit window under Wine (private Xvfb)"
checks=$((checks + 1))
window_check=$win/tools/windows-checks/selvarine-window-check.exe
if [ -z "$xvfb_pid" ]; then
  failures+=("the window check needs Xvfb (Debian package xvfb)")
elif [ -z "$xvfb_display" ]; then
  failures+=("Xvfb did not start for the window check")
else
  if ! run_wine "$window_check" 2>&1 | tr -d '\r' | sed 's/^/  /' |
      tee "$scratch/window-check.log" | grep '^  window check passed$' >/dev/null; then
    cat "$scratch/window-check.log"
    failures+=("the toolkit's window check failed under Wine")
  else
    cat "$scratch/window-check.log"
  fi
  # The plug-in's own editor in a host window on the same server.
  echo "=== The plug-in's editor under Wine (private Xvfb)"
  checks=$((checks + 1))
  if ! run_wine "$win/tools/windows-checks/selvarine-editor-check.exe" "$win_plugin" \
      "$(windows_path "$scratch/editor-window.bmp")" 2>&1 | tr -d '\r' | sed 's/^/  /' |
      tee "$scratch/editor-check.log" | grep '^  editor check passed$' >/dev/null; then
    cat "$scratch/editor-check.log"
    failures+=("the plug-in's editor check failed under Wine")
  else
    cat "$scratch/editor-check.log"
    cp "$scratch/editor-window.bmp" "$win/editor-window-wine.bmp"
    cp "$scratch/editor-window-menu.bmp" "$win/editor-menu-wine.bmp"
    echo "  screenshots kept in $win/editor-window-wine.bmp and $win/editor-menu-wine.bmp"
  fi
  # The preview host of the Windows build: its own Win32 window with the DLL's
  # editor for a few seconds of idle and audio, closed by itself.
  echo "=== The Windows editor preview host under Wine"
  checks=$((checks + 1))
  win_editor=$win/tools/selvarine-editor.exe
  status=0
  run_wine "$win_editor" --plugin "$win_plugin" --run-for 2 --idle-hz 15 2>&1 | tr -d '\r' \
    >"$scratch/editor-host.log" || status=$?
  sed 's/^/  /' "$scratch/editor-host.log"
  if [ $status -ne 0 ] || ! grep -q '^editor open (650 x 500)' "$scratch/editor-host.log" ||
     ! grep -q '^editor closed$' "$scratch/editor-host.log"; then
    failures+=("the Windows editor preview host did not open and close the editor")
  fi
fi

# The editor's picture does not depend on the platform: the toolkit draws
# every pixel itself, with its own fonts.
echo "=== Editor snapshots of the two builds"
checks=$((checks + 1))
"$native/tools/selvarine-editor" --snapshot "$scratch/editor-linux.png" --program 4 --set "CAB type=1"
run_wine "$win/tools/selvarine-editor.exe" --snapshot "$(windows_path "$scratch/editor-windows.png")" \
  --program 4 --set "CAB type=1"
if ! cmp -s "$scratch/editor-linux.png" "$scratch/editor-windows.png"; then
  failures+=("the editor snapshots of the Linux and Windows builds differ")
  cp "$scratch/editor-linux.png" "$scratch/editor-windows.png" "$win/" 2>/dev/null || true
fi

# --- Refusals of the Windows tools ----------------------------------------------------
echo "=== Windows tools: refusals and the compare tool"
# Runs a command that must fail with a message containing the given text.
expect_failure() {
  local label=$1 text=$2 output
  checks=$((checks + 1))
  shift 2
  if output=$("$@" 2>&1); then
    failures+=("$label: the command succeeded")
  elif ! echo "$output" | grep -qF "$text"; then
    failures+=("$label: the message lacks '$text': $output")
  fi
}
expect_failure "missing plug-in" "cannot load plug-in" \
  run_wine "$win_render" --plugin "$(windows_path "$scratch/absent.dll")" --info
expect_failure "DLL without a VST entry" "exports neither VSTPluginMain nor main" \
  run_wine "$win_render" --plugin "$(windows_path "$probe_dll")" --info
expect_failure "FLAC output" "WAV files only" \
  run_wine "$win_render" --plugin "$win_plugin" "$(windows_path "$input")" "$(windows_path "$scratch/out.flac")"
expect_failure "input that is no WAV file" "not a RIFF/WAVE file" \
  run_wine "$win_render" --plugin "$win_plugin" "$(windows_path "$scratch/linux.chunk")" "$(windows_path "$scratch/out.wav")"
# The Windows signal generator writes through the Windows WAV writer; the
# Windows compare tool reads both files with the Windows WAV reader.
win_compare=$win/tools/selvarine-compare.exe
run_wine "$win/tools/selvarine-test-signal.exe" "$(windows_path "$scratch/input-windows.wav")" 2
checks=$((checks + 1))
run_wine "$win/tools/selvarine-test-signal.exe" "$(windows_path "$scratch/short-windows.wav")" 1
if ! line=$(run_wine "$win_compare" --tolerance "$tolerance" "$(windows_path "$input")" \
    "$(windows_path "$scratch/input-windows.wav")" | tr -d '\r'); then
  failures+=("the test signals of the two builds differ: $line")
fi
echo "test signal, Windows against Linux: ${line#*: }"
expect_failure "Windows compare tool on files of different length" "DIFFERENT SHAPE: 88200 frames against 44100" \
  run_wine "$win_compare" "$(windows_path "$input")" "$(windows_path "$scratch/short-windows.wav")"

# --- Renders --------------------------------------------------------------------------
# Each case: label, comparison (tolerance or exact), renderer options.
cases=()
for ((p = 0; p < count; ++p)); do
  cases+=("program-$p|tolerance|--program $p")
done
cases+=("program-7-double|tolerance|--program 7 --double")
cases+=("program-12-96k|tolerance|--program 12 --rate 96000")
cases+=("bypass|exact|--program 3 --set Bypass=0")
cases+=("bypass-double|exact|--program 3 --set Bypass=0 --double")

echo "=== Rendering ${#cases[@]} cases with both builds (input: 2 s stereo, 0.5 s tail)"
summary=()
for entry in "${cases[@]}"; do
  IFS='|' read -r label mode options <<<"$entry"
  checks=$((checks + 1))
  read -ra args <<<"$options"
  linux_out=$scratch/linux-$label.wav
  windows_out=$scratch/windows-$label.wav
  if ! "$native_render" --plugin "$native_plugin" "${args[@]}" --tail 0.5 "$input" "$linux_out"; then
    failures+=("$label: the Linux render failed")
    continue
  fi
  if ! run_wine "$win_render" --plugin "$win_plugin" "${args[@]}" --tail 0.5 \
      "$(windows_path "$input")" "$(windows_path "$windows_out")"; then
    failures+=("$label: the Windows render failed")
    continue
  fi
  compare_args=(--tolerance "$tolerance")
  [ "$mode" = exact ] && compare_args=(--exact)
  if line=$("$compare" "${compare_args[@]}" "$linux_out" "$windows_out"); then
    :
  else
    failures+=("$label: $line")
  fi
  summary+=("$(printf '%-18s %-9s %s' "$label" "$mode" "${line#*: }")")
  rm -f "$linux_out" "$windows_out"
done

# --- A batch: worker threads and one plug-in instance per file under Windows ----------
echo "=== Windows renderer: a batch of three files on two threads, one of them broken"
checks=$((checks + 1))
mkdir -p "$scratch/batch-in" "$scratch/batch-out"
cp "$input" "$scratch/batch-in/one.wav"
cp "$input" "$scratch/batch-in/two.wav"
cp "$scratch/linux.chunk" "$scratch/batch-in/broken.wav"
"$native_render" --plugin "$native_plugin" --program 12 --tail 0.5 "$input" "$scratch/linux-batch.wav"
batch_output=$(run_wine "$win_render" --plugin "$win_plugin" --program 12 --tail 0.5 --jobs 2 \
  "$(windows_path "$scratch/batch-in/one.wav")" "$(windows_path "$scratch/batch-in/broken.wav")" \
  "$(windows_path "$scratch/batch-in/two.wav")" -o "$(windows_path "$scratch/batch-out")" 2>&1 | tr -d '\r' || true)
if ! echo "$batch_output" | grep -qF "1 of 3 files failed"; then
  failures+=("batch: the broken file is not reported: $batch_output")
elif [ -e "$scratch/batch-out/broken.wav" ] || ! cmp -s "$scratch/batch-out/one.wav" "$scratch/batch-out/two.wav"; then
  failures+=("batch: the outputs of the two good files differ or the broken one was written")
elif ! line=$("$compare" --tolerance "$tolerance" "$scratch/linux-batch.wav" "$scratch/batch-out/one.wav"); then
  failures+=("batch: $line")
fi

printf '%s\n' "${summary[@]}"
echo "=== Wine check took $((SECONDS - start)) s, of which $((SECONDS - wine_start)) s under Wine"
echo "Wine programs run again after losing their server connection: $(wine_session_retries)"
if [ ${#failures[@]} -gt 0 ]; then
  echo "Wine check FAILED:" >&2
  printf '  %s\n' "${failures[@]}" >&2
else
  echo "Wine check passed: ${#cases[@]} renders of the Windows build match the Linux build"
fi
# The tally, last, in the plain form test reports use.
echo "wine-check: $((checks - ${#failures[@]})) passed, ${#failures[@]} failed"
[ ${#failures[@]} -eq 0 ]
