#!/usr/bin/env bash
# Library save/load and folder-add timings (native, optimised build of the library sources).
# Run twice: with the allocator's defaults, and with freed memory kept by the allocator, so
# that first-touch page faults (costly on virtual machines) do not hide the library's own
# growth with size.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${TMPDIR:-/tmp}/songdeck-library-bench"
rm -rf "$OUT" && mkdir -p "$OUT"
g++ -std=c++20 -O2 -DNDEBUG -finput-charset=UTF-8 -fexec-charset=GBK -I "$ROOT" -o "$OUT/library_bench" \
  "$ROOT/bench/library/library_bench.cpp" "$ROOT"/library/{fs,tags,play,masks,profile,storage,low_arena,status_texts}.cpp \
  "$ROOT/core/text.cpp"
echo "== allocator defaults"
"$OUT/library_bench" "$OUT"
echo "== freed memory kept by the allocator"
rm -rf "$OUT/tree"
GLIBC_TUNABLES=glibc.malloc.trim_threshold=4000000000:glibc.malloc.mmap_threshold=4000000000 "$OUT/library_bench" "$OUT"
