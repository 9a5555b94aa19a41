#!/usr/bin/env bash
# Makes the release packages with CPack and checks what is in them:
#   <native build>/packages/OrvandelSelvarine-<version>-linux-x86_64.tar.gz
#   <cross build>/packages/OrvandelSelvarine-<version>-windows-x64.zip
# Each holds one folder of that name with the plug-in, the data folder
# "OrvandelSelvarine Files" with the manual, the renderer, README.md,
# INSTALL.txt (and LICENSE when the tree has one).
#
# Checks, per package: the exact list of files; the plug-in exports exactly
# VSTPluginMain and main; the manual is a PDF; the renderer, run from the
# unpacked folder with nothing else, loads the plug-in beside it (the Windows
# one under Wine, and it imports only from system DLLs). Also checks that
# `cmake --install` puts the manual into the data folder beside the plug-in.
#
#   tools/package.sh [linux] [windows]      (default: both)
#
# The native build is SELVARINE_NATIVE_BUILD, else build-test-release when it
# exists (tools/test.sh makes it), else build-package (Release, configured
# here); the manual is built there. The Windows package comes from the cross
# build of tools/build-windows.sh (SELVARINE_WIN_BUILD, default build-win),
# which takes the native build's manual.
#
# Environment: JOBS (default 2), SELVARINE_NATIVE_BUILD, SELVARINE_WIN_BUILD, WINE.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${JOBS:-2}
triple=x86_64-w64-mingw32
start=$SECONDS

source "$root/tools/packages.sh"
selvarine_install_packages

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(linux windows)
for target in "${targets[@]}"; do
  case $target in
    linux | windows) ;;
    *) echo "unknown package '$target' (linux or windows)" >&2; exit 2 ;;
  esac
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/selvarine-package.XXXXXX")
wine_started=0
cleanup() {
  if [ $wine_started -eq 1 ]; then
    wine_session_end || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=()
checks=0
fail() { failures+=("$1"); echo "FAILED: $1" >&2; }
pass() { echo "ok: $1"; }
check() {
  # check "what" command...: runs the command, counts and reports the result.
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# --- The native build and its manual -------------------------------------------------
native=${SELVARINE_NATIVE_BUILD:-}
if [ -z "$native" ]; then
  if [ -f "$root/build-test-release/CMakeCache.txt" ]; then
    native=$root/build-test-release
  else
    native=$root/build-package
  fi
fi
if [ ! -f "$native/CMakeCache.txt" ]; then
  echo "=== native: configure $native"
  cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DSELVARINE_BUILD_TESTS=OFF -DSELVARINE_BUILD_BENCH=OFF
fi
echo "=== native: build the plug-in, the renderer and the manual in $native"
cmake --build "$native" -j "$jobs" --target OrvandelSelvarine selvarine-render manual
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$native/CMakeCache.txt")
manual="$native/manual/OrvandelSelvarine Manual.pdf"
data="OrvandelSelvarine Files"

# The files a package must hold, one a line, sorted, below its top folder.
expected_files() {
  local plugin=$1 render=$2
  {
    printf '%s\n' INSTALL.txt README.md "$plugin" "$render" "$data/OrvandelSelvarine Manual.pdf"
    [ -f "$root/LICENSE" ] && echo LICENSE
  } | LC_ALL=C sort
}

is_pdf() {
  [ "$(head -c 5 "$1")" = "%PDF-" ] || return 1
  if command -v pdfinfo >/dev/null 2>&1; then
    local pages
    pages=$(pdfinfo "$1" | sed -n 's/^Pages: *//p')
    [ "${pages:-0}" -ge 10 ] || return 1
  fi
}

same_list() {
  # same_list "label" expected actual
  if [ "$2" = "$3" ]; then
    return 0
  fi
  echo "$1: expected" >&2
  echo "$2" | sed 's/^/    /' >&2
  echo "  but found" >&2
  echo "$3" | sed 's/^/    /' >&2
  return 1
}

# --- Installation: the manual beside the plug-in -------------------------------------
echo "=== install into a scratch root"
DESTDIR="$scratch/root" cmake --install "$native" >/dev/null
vst_dir=$(sed -n 's/^SELVARINE_VST_INSTALL_DIR:PATH=//p' "$native/CMakeCache.txt")
check "cmake --install puts the plug-in into $vst_dir" test -f "$scratch/root$vst_dir/OrvandelSelvarine.so"
check "cmake --install puts the manual into '$data' beside the plug-in" \
  is_pdf "$scratch/root$vst_dir/$data/OrvandelSelvarine Manual.pdf"

# --- Linux ---------------------------------------------------------------------------
if [[ " ${targets[*]} " == *" linux "* ]]; then
  name=OrvandelSelvarine-$version-linux-x86_64
  echo "=== Linux package $name.tar.gz"
  rm -f "$native/packages/$name.tar.gz"
  (cd "$native" && cpack --config CPackConfig.cmake >/dev/null)
  archive=$native/packages/$name.tar.gz
  check "the Linux package exists" test -f "$archive"
  if [ -f "$archive" ]; then
    listed=$(tar tzf "$archive" | grep -v '/$' | LC_ALL=C sort)
    check "the Linux package holds exactly the expected files under $name/" same_list "$name.tar.gz" \
      "$(expected_files OrvandelSelvarine.so selvarine-render | sed "s|^|$name/|")" "$listed"
    mkdir -p "$scratch/linux"
    tar xzf "$archive" -C "$scratch/linux"
    unpacked=$scratch/linux/$name
    exports=$(nm -D --defined-only "$unpacked/OrvandelSelvarine.so" | awk '$2 ~ /^[TWi]$/ { print $3 }' | LC_ALL=C sort | paste -sd' ')
    check "OrvandelSelvarine.so exports exactly VSTPluginMain and main (found: $exports)" \
      test "$exports" = "VSTPluginMain main"
    # Only libraries every Linux desktop has: the C runtime, X11 and libpng
    # (the C++ runtime travels inside the module).
    needed=$(readelf -d "$unpacked/OrvandelSelvarine.so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | LC_ALL=C sort | paste -sd' ')
    check "OrvandelSelvarine.so needs only system libraries (needs: $needed)" \
      test -z "$(tr ' ' '\n' <<<"$needed" | grep -vxE 'lib(c|m|dl|pthread|rt)\.so\.6|libX11\.so\.6|libXext\.so\.6|libpng16\.so\.16|libz\.so\.1|ld-linux-x86-64\.so\.2' || true)"
    check "the Linux package's manual is a PDF" is_pdf "$unpacked/$data/OrvandelSelvarine Manual.pdf"
    # Run from a copy of the folder alone: the renderer must find the plug-in beside itself.
    info=$(cd "$scratch" && "$unpacked/selvarine-render" --info 2>&1 || true)
    check "selvarine-render from the package loads the plug-in beside it" \
      grep -q "Doxaro Orvandel Selvarine" <<<"$info"
  fi
fi

# --- Windows -------------------------------------------------------------------------
if [[ " ${targets[*]} " == *" windows "* ]]; then
  win=${SELVARINE_WIN_BUILD:-$root/build-win}
  SELVARINE_NATIVE_BUILD=$native SELVARINE_WIN_BUILD=$win JOBS=$jobs bash "$root/tools/build-windows.sh"
  # The cross build cannot make the manual; it packages the native build's.
  cmake -S "$root" -B "$win" "-DSELVARINE_MANUAL_PDF=$manual" >/dev/null
  name=OrvandelSelvarine-$version-windows-x64
  echo "=== Windows package $name.zip"
  rm -f "$win/packages/$name.zip"
  (cd "$win" && cpack --config CPackConfig.cmake >/dev/null)
  archive=$win/packages/$name.zip
  check "the Windows package exists" test -f "$archive"
  if [ -f "$archive" ]; then
    python=/usr/bin/python3
    listed=$("$python" -c 'import sys, zipfile
for n in zipfile.ZipFile(sys.argv[1]).namelist():
    if not n.endswith("/"): print(n)' "$archive" | LC_ALL=C sort)
    check "the Windows package holds exactly the expected files under $name/" same_list "$name.zip" \
      "$(expected_files OrvandelSelvarine.dll selvarine-render.exe | sed "s|^|$name/|")" "$listed"
    mkdir -p "$scratch/windows"
    "$python" -m zipfile -e "$archive" "$scratch/windows"
    unpacked=$scratch/windows/$name
    exports=$("$triple-objdump" -p "$unpacked/OrvandelSelvarine.dll" | awk '
      /^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
      table && /^[[:space:]]*$/ { table = 0; done = 1 }
      done { next }
      table { print $NF }' | LC_ALL=C sort | paste -sd' ')
    check "OrvandelSelvarine.dll exports exactly VSTPluginMain and main (found: $exports)" \
      test "$exports" = "VSTPluginMain main"
    imports=$("$triple-objdump" -p "$unpacked/selvarine-render.exe" | awk '/DLL Name:/ { print tolower($3) }' | LC_ALL=C sort -u | paste -sd' ')
    check "selvarine-render.exe needs no DLL beyond Windows' own (imports: $imports)" \
      test -z "$(tr ' ' '\n' <<<"$imports" | grep -vxE 'kernel32\.dll|msvcrt\.dll' || true)"
    check "the Windows package's manual is a PDF" is_pdf "$unpacked/$data/OrvandelSelvarine Manual.pdf"
    # Under Wine, with nothing but the unpacked folder: the renderer loads the DLL beside it.
    source "$root/tools/wine-session.sh"
    if wine_session_find 2>/dev/null; then
      unset DISPLAY WAYLAND_DISPLAY
      wine_session_start "$scratch"
      wine_started=1
      info=$(cd "$unpacked" && run_wine ./selvarine-render.exe --info 2>&1 | tr -d '\r' || true)
      check "selvarine-render.exe from the package loads the DLL beside it under Wine" \
        grep -q "Doxaro Orvandel Selvarine" <<<"$info"
    else
      echo "Wine is not installed: the Windows renderer was not run"
    fi
  fi
fi

echo "=== packaging took $((SECONDS - start)) s"
if [ ${#failures[@]} -gt 0 ]; then
  echo "Package check FAILED:" >&2
  printf '  %s\n' "${failures[@]}" >&2
fi
echo "package: $((checks - ${#failures[@]})) passed, ${#failures[@]} failed"
[ ${#failures[@]} -eq 0 ]
