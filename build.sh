#!/usr/bin/env bash
# songdeck: set-up, build, run, test and benchmarks on Debian 12.
#   ./build.sh setup        install what the build and the tests need (apt; idempotent)
#   ./build.sh build        configure and build the Win32 program folder (build/dist) and the native tests
#   ./build.sh run [files]  start build/dist/songdeck.exe under Wine
#   ./build.sh test         build both configurations and run every test
#   ./build.sh bench        run the benchmarks
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
B="$ROOT/build"
WIN="$B/win32"      # the program folder's build (i686), assembled into build/dist
W64="$B/win64"      # the same sources for x86_64, tested where 32-bit Wine cannot run
NAT="$B/native"     # platform-free code under AddressSanitizer/UBSan, and the fuzzers
JOBS="$(nproc)"

APT_PACKAGES=(git cmake make g++ googletest python3 ca-certificates
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev llvm locales
  lame mpg123 librsvg2-bin sox file)

need_setup() {
  command -v i686-w64-mingw32-g++-posix >/dev/null || return 0
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || return 0
  [ -x /usr/lib/wine/wine64 ] || return 0
  command -v Xvfb >/dev/null || return 0
  command -v clang++ >/dev/null || return 0
  command -v lame >/dev/null || return 0
  command -v rsvg-convert >/dev/null || return 0
  [ -d /usr/src/googletest ] || return 0
  locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' || return 0
  return 1
}

do_setup() {
  if ! need_setup; then return 0; fi
  local SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${APT_PACKAGES[@]}" >/dev/null
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    $SUDO sed -i 's/^# *zh_CN.UTF-8/zh_CN.UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
}

configure_win() {  # build-dir toolchain extra-args...
  local dir="$1" tc="$2"; shift 2
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$tc" -DCMAKE_BUILD_TYPE=Release -DSD_ONLY= \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" "$@" >/dev/null
}

do_build() {
  do_setup
  local arch; arch="$(sd_test_arch)"
  if [ "$arch" = win32 ]; then
    configure_win "$WIN" mingw-i686.cmake -DSD_DIST_DIR="$B/dist" -DSD_TESTS=ON
  else
    configure_win "$WIN" mingw-i686.cmake -DSD_DIST_DIR="$B/dist" -DSD_TESTS=OFF
    # The test build needs no top speed: -O1 keeps its compile time down.
    configure_win "$W64" mingw-x86_64.cmake -DSD_TESTS=ON -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
                  -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG"
    cmake --build "$W64" -j "$JOBS"
  fi
  cmake --build "$WIN" -j "$JOBS"
  cmake -S "$ROOT" -B "$NAT" -DCMAKE_BUILD_TYPE=Debug -DSD_ONLY= \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$NAT" -j "$JOBS"
}

# shellcheck source=tools/wine-env.sh
. "$ROOT/tools/wine-env.sh"

case "${1:-test}" in
  setup) do_setup ;;
  build) do_build ;;
  run)
    shift
    echo "Building the player (the first build takes several minutes)..."
    do_build >/dev/null
    wine_run_player "$@"
    ;;
  test)
    do_build
    wine_test_session_start
    trap wine_test_session_stop EXIT
    if [ "$SD_TEST_ARCH" = win32 ]; then TW="$WIN"; else TW="$W64"; fi
    # The two test sets side by side: the native one is mostly fuzzing (CPU), the Windows one
    # mostly waits on Wine and on players running in real time.
    (cd "$NAT" && ctest --output-on-failure -j 1 >"$B/native-tests.log" 2>&1) &
    nat=$!
    rc=0
    (cd "$TW" && ctest --output-on-failure -j "$JOBS" >"$B/windows-tests.log" 2>&1) || rc=1
    wait $nat || rc=1
    echo "== native tests (AddressSanitizer, UBSan, fuzzers) =="; cat "$B/native-tests.log"
    echo "== Windows tests under Wine ($SD_TEST_ARCH) =="; cat "$B/windows-tests.log"
    exit $rc
    ;;
  bench)
    do_build
    wine_test_session_start
    trap wine_test_session_stop EXIT
    for b in "$ROOT"/bench/*.sh; do [ -f "$b" ] && bash "$b"; done
    ;;
  *) echo "usage: $0 setup|build|run [files]|test|bench" >&2; exit 2 ;;
esac
