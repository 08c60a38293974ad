# Wine environment for songdeck's tests, benchmarks and `./build.sh run`.
# Sourced by build.sh; expects ROOT and B. SD_WINE_ROOT (default: the build folder)
# holds the test prefix and the test HOME, so several build trees can test side by side.

SD_WINE_ROOT="${SD_WINE_ROOT:-$B}"

# Which Windows build the tests run: the i686 one under 32-bit Wine where this machine runs
# 32-bit programs, otherwise the x86_64 build of the same sources under 64-bit Wine (some
# kernels are booted without 32-bit emulation). The program folder is the i686 build either way.
sd_test_arch() {
  if [ -x /usr/lib/wine/wineserver32 ] && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo win32
  else
    echo win64
  fi
}

wine_common_env() {
  SD_TEST_ARCH="${SD_TEST_ARCH:-$(sd_test_arch)}"
  export SD_TEST_ARCH
  if [ "$SD_TEST_ARCH" = win32 ]; then
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  else
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  fi
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LC_ALL=zh_CN.UTF-8
}

# Creates the prefix once; wineboot leaves its services running under the given wineserver.
wine_prefix_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 </dev/null || true
    "$WINESERVER" -w
  fi
}

wine_start_xvfb() {
  local fifo dpy
  fifo="$(mktemp -u)"; mkfifo "$fifo"
  (Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
   echo $! >"$SD_WINE_ROOT/xvfb.pid")
  read -r dpy <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$dpy"
}

# A CD drive for the tests: drive r: of the prefix is a folder of the test root with the
# drive type "cdrom" (read when the prefix's services start, so it is set before the
# persistent wineserver). No folder is no disc; tests make the folder and its track files.
# SD_TEST_CDROM is the folder's Unix path.
wine_cdrom_drive() {
  [ -n "$SD_WINE_ROOT" ] && [ -d "$WINEPREFIX/dosdevices" ] || return 0
  export SD_TEST_CDROM="$SD_WINE_ROOT/cdrom"
  rm -rf "$SD_TEST_CDROM"
  ln -sfn "$SD_TEST_CDROM" "$WINEPREFIX/dosdevices/r:"
  if ! grep -q '^"r:"="cdrom"' "$WINEPREFIX/system.reg" 2>/dev/null; then
    "$WINELOADER" reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f >/dev/null 2>&1 </dev/null || true
    "$WINESERVER" -w
  fi
}

# Test session: private prefix and HOME, ALSA null device, Xvfb, a persistent wineserver
# started detached from the caller's pipes (CTest waits for every holder of its pipes).
wine_test_session_start() {
  wine_common_env
  mkdir -p "$SD_WINE_ROOT/home"
  export HOME="$SD_WINE_ROOT/home"
  export WINEPREFIX="$SD_WINE_ROOT/wineprefix"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
  wine_start_xvfb
  wine_prefix_init
  wine_cdrom_drive
  ("$WINESERVER" -p >/dev/null 2>&1 </dev/null &)
  "$WINELOADER" wineboot >/dev/null 2>&1 </dev/null || true
  echo "wine test session: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
}

wine_test_session_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -f "$SD_WINE_ROOT/xvfb.pid" ]; then
    kill "$(cat "$SD_WINE_ROOT/xvfb.pid")" 2>/dev/null || true
    rm -f "$SD_WINE_ROOT/xvfb.pid"
  fi
}

# Starts the player on the user's display (or Xvfb, with a screenshot file refreshed every
# two seconds), with the user's own HOME and sound, in a prefix of its own.
wine_run_player() {
  wine_common_env
  export WINEPREFIX="$B/run-prefix-$SD_TEST_ARCH"
  local shot=""
  if [ -z "${DISPLAY:-}" ]; then
    SD_WINE_ROOT="$B" wine_start_xvfb
    shot="$B/screen.png"
    echo "No display: the player runs on Xvfb $DISPLAY; $shot shows its screen (refreshed every 2 s)."
    (while sleep 2; do import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"; done) &
    local shooter=$!
  fi
  wine_prefix_init
  local args=() f
  for f in "$@"; do
    if [ -e "$f" ]; then args+=("$("$WINELOADER" winepath.exe -w "$(realpath "$f")" 2>/dev/null | tr -d "\r")"); else args+=("$f"); fi
  done
  # Without 32-bit support the same program built for x86_64 runs instead.
  local dist="$B/dist"
  [ "$SD_TEST_ARCH" = win32 ] || dist="$B/win64/dist"
  local exe="$dist/songdeck.exe"
  # With no files, the demo song of the program folder: one command, and music plays.
  if [ ${#args[@]} -eq 0 ] && [ -f "$dist/demo.mp3" ]; then
    args=("$("$WINELOADER" winepath.exe -w "$dist/demo.mp3" 2>/dev/null | tr -d "\r")")
  fi
  "$WINELOADER" "$exe" "${args[@]}" || true
  "$WINESERVER" -w
  if [ -n "$shot" ]; then kill "$shooter" 2>/dev/null || true; kill "$(cat "$B/xvfb.pid")" 2>/dev/null || true; fi
}
