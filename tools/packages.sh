# Debian packages the project builds and tests with, and a function that
# installs the missing ones. Sourced by demo.sh, test.sh, the Windows scripts
# and the CI script.

# The editor's artwork generator (tools/artwork) and its tests: cairo and
# numpy for Debian's own Python 3, and the DejaVu fonts the labels use
# (the condensed faces come from fonts-dejavu-extra).
SELVARINE_ARTWORK_PACKAGES=(
  python3 python3-cairo python3-numpy fonts-dejavu-core fonts-dejavu-extra
)

# The user manual (cmake/Manual.cmake): pandoc for Markdown to HTML,
# weasyprint for HTML to PDF, Matplotlib for its frequency-response plots,
# cairo for its editor pictures, and poppler-utils (pdfinfo, pdftoppm) for
# checking and viewing the PDF.
SELVARINE_MANUAL_PACKAGES=(
  pandoc weasyprint poppler-utils python3 python3-cairo python3-numpy python3-matplotlib
  fonts-dejavu-core
)

# libdbus-1-dev: headers for the editor's desktop-portal client (the library
# itself is loaded at run time); dbus-daemon: the private bus of its tests.
SELVARINE_PACKAGES=(
  build-essential cmake pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev libfftw3-dev libpng-dev zlib1g-dev libx11-dev
  libxext-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra libdbus-1-dev dbus-daemon
  xvfb xdotool
  "${SELVARINE_ARTWORK_PACKAGES[@]}"
  "${SELVARINE_MANUAL_PACKAGES[@]}"
)

# The Windows cross build (mingw-w64), zlib for it, dpkg-dev for fetching
# libpng's Debian source package, and Wine to run it; only build-windows.sh,
# wine-check.sh and CI need these.
SELVARINE_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 libz-mingw-w64-dev dpkg-dev wine wine64
)

# clang with its libFuzzer runtime, for the fuzz targets (fuzz-smoke.sh, CI).
SELVARINE_FUZZ_PACKAGES=(
  clang libclang-rt-14-dev
)

# zita-convolver, the reference the convolver is measured against
# (bench/cabinet, convolver-compare); the benchmarks build without it.
SELVARINE_BENCH_PACKAGES=(
  libzita-convolver-dev
)

# Python with NumPy and Matplotlib for the documentation plots
# (tools/plot_bank.py, tools/plot_programs.py); the manual's build draws its
# plots with them too (SELVARINE_MANUAL_PACKAGES).
SELVARINE_DOC_PACKAGES=(
  python3-numpy python3-matplotlib
)

# Installs whatever of the named packages (default: SELVARINE_PACKAGES) is
# missing, with sudo when not root.
selvarine_install_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${SELVARINE_PACKAGES[@]}")
  local missing=() package
  for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "error: these packages are missing and sudo is not available: ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}
