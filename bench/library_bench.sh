#!/usr/bin/env bash
# Library save/load and folder-add timings (native, optimised build of the library sources).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${TMPDIR:-/tmp}/songdeck-library-bench"
rm -rf "$OUT" && mkdir -p "$OUT"
g++ -std=c++20 -O2 -DNDEBUG -finput-charset=UTF-8 -fexec-charset=GBK -I "$ROOT" -o "$OUT/library_bench" \
  "$ROOT/bench/library/library_bench.cpp" "$ROOT"/library/{fs,tags,play,masks,profile,storage,low_arena,status_texts}.cpp \
  "$ROOT/core/text.cpp"
"$OUT/library_bench" "$OUT"
