#!/usr/bin/env bash
# Runs a command inside a Wine test session (private prefix and HOME, Xvfb, persistent
# wineserver), e.g.  tools/with-wine.sh ctest --test-dir build/win64 -R Settings
# SD_WINE_ROOT picks the folder of the prefix (default build/), so several trees can test at once.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
B="$ROOT/build"
. "$ROOT/tools/wine-env.sh"
wine_test_session_start >/dev/null
trap wine_test_session_stop EXIT
"$@"
