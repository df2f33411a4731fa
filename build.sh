#!/usr/bin/env bash
# TaviOCR's two commands:
#   ./build.sh run [IMAGE...]   install what is missing, build, start the program
#                               (with images: recognise them with taviocr-cli)
#   ./build.sh test             install what is missing, build, run every test and
#                               check the Debian package (TAVIOCR_INSTALL_CHECK=1:
#                               also install, use and purge it; for throw-away machines)
# and for developers:
#   ./build.sh package          build build/taviocr_<version>_amd64.deb
#   ./build.sh bench            build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libssl-dev libfmt-dev libgsf-1-dev libgsf-bin libzip-dev libzxing-dev qrencode
  libpoppler-qt6-dev poppler-utils qpdf
  libcurl4-openssl-dev libjsoncpp-dev libcpp-httplib-dev openssl
  qt6-base-dev qt6-qpa-plugins qt6-tools-dev libqt6svg6 qt6-webengine-dev fonts-dejavu-core
  qt6-image-formats-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  libtesseract-dev tesseract-ocr tesseract-ocr-eng tesseract-ocr-chi-sim tesseract-ocr-chi-tra
  tesseract-ocr-fra tesseract-ocr-deu tesseract-ocr-ita tesseract-ocr-spa tesseract-ocr-por
  tesseract-ocr-rus tesseract-ocr-jpn tesseract-ocr-kor
  imagemagick fonts-noto-cjk qt6-translations-l10n
  xvfb xauth xdotool x11-utils libx11-dev openbox trayer xclip
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libsane-dev sane-utils libsane1
  clang libclang-rt-14-dev clang-format
  lintian desktop-file-utils appstream dbus-daemon dbus-bin
  sway swaybg xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk pipewire qt6-wayland
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_if_needed apt-get update -qq
    sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  fi
}

build() {
  local werror=OFF
  [ "${TAVIOCR_WERROR:-0}" = 1 ] && werror=ON
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIOCR_WERROR="$werror" >/dev/null
  cmake --build build
}

# The Debian package from this build's own binaries (CPack, see packaging/).
build_package() {
  rm -f build/taviocr_*_amd64.deb
  (cd build && cpack --config CPackConfig.cmake >/dev/null)
  ls build/taviocr_*_amd64.deb
}

# Each fuzz target runs for a bounded time; a finding fails the run.
run_fuzzers() {
  cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build/fuzz
  local f
  for f in build/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    echo "Fuzzing $(basename "$f") for ${TAVIOCR_FUZZ_SECONDS:-30} s"
    # Seeds of a target start its corpus; the copy keeps the repository clean.
    local corpus="$TEST_ROOT/corpus-$(basename "$f")"
    mkdir -p "$corpus"
    [ -d "tests/fuzz/corpus/$(basename "$f")" ] && cp "tests/fuzz/corpus/$(basename "$f")"/* "$corpus"/
    "$f" -max_total_time="${TAVIOCR_FUZZ_SECONDS:-30}" -max_len=8192 \
         -artifact_prefix="$TEST_ROOT/" "$corpus" >"$TEST_ROOT/$(basename "$f").log" 2>&1 || {
      tail -n 40 "$TEST_ROOT/$(basename "$f").log"; return 1; }
  done
}

# Every C++ file as .clang-format lays it out; a deviation fails the tests.
check_formatting() {
  local deviating
  deviating=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 |
              sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
  if [ -n "$deviating" ]; then
    echo "Not formatted (run clang-format -i on them):"
    echo "$deviating"
    return 1
  fi
}

# A throw-away home so that tests never touch the real user's files.
isolated_environment() {
  local root
  root=$(mktemp -d "${TMPDIR:-/tmp}/taviocr-test.XXXXXX")
  mkdir -p "$root/home" "$root/runtime" "$root/tmp" "$root/machine"
  chmod 700 "$root/runtime"
  export HOME="$root/home" XDG_DATA_HOME="$root/home/.local/share" \
         XDG_CONFIG_HOME="$root/home/.config" XDG_RUNTIME_DIR="$root/runtime" \
         TMPDIR="$root/tmp" TAVIOCR_MACHINE_DIR="$root/machine"
  TEST_ROOT="$root"
}

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
  run)
    install_missing_packages
    build
    if [ $# -gt 0 ]; then
      exec build/out/taviocr-cli "$@"
    elif [ -x build/out/taviocr ]; then
      exec build/out/taviocr
    else
      echo "The window program is not part of this build yet. Ready in build/out/:"
      ls -1 build/out
      build/out/taviocr-cli --version
    fi
    ;;
  test)
    install_missing_packages
    check_formatting
    build
    isolated_environment
    trap 'rm -rf "$TEST_ROOT"' EXIT
    [ "${TAVIOCR_SKIP_FUZZ:-0}" = 1 ] || run_fuzzers
    # Tests that need a real display start an X server of their own
    # (tests/support/own_display.sh), so they run side by side.
    ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
    build_package
    if [ "${TAVIOCR_INSTALL_CHECK:-0}" = 1 ]; then
      sudo_if_needed env TAVIOCR_MACHINE_DIR= packaging/check_package.sh build --install
    else
      packaging/check_package.sh build
    fi
    ;;
  package)
    install_missing_packages
    build
    build_package
    ;;
  bench)
    install_missing_packages
    build
    isolated_environment
    trap 'rm -rf "$TEST_ROOT"' EXIT
    # The start-up benchmark needs a display; every benchmark gets the same one.
    # The start-up one on a 4K screen: what a capture of it leaves behind counts.
    for b in build/bench/bench_*; do
      screen=1280x1024x24
      [ "$(basename "$b")" = bench_startup ] && screen=3840x2160x24
      [ -x "$b" ] && xvfb-run -a -s "-screen 0 $screen" "$b" "$@"
    done
    ;;
  *)
    echo "usage: ./build.sh run [IMAGE...] | test [ctest options] | package | bench" >&2
    exit 2
    ;;
esac
