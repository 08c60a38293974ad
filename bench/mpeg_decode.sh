#!/usr/bin/env bash
# Decoding speed of mpeg.dll (decode only, no output) on a 5-minute song, against a bare
# acmStreamConvert loop over the same file in the same run, and against Debian's native
# `mpg123 -t`. Prints the times and the ratios.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
B="$ROOT/build"
if [ -z "${WINELOADER:-}" ]; then exec "$ROOT/tools/with-wine.sh" bash "$0" "$@"; fi
work="$B/bench-mpeg"; mkdir -p "$work"
arch="${SD_TEST_ARCH:-win64}"
if [ "$arch" = win32 ]; then cxx=i686-w64-mingw32-g++-posix; dll="$B/dist/mpeg.dll";
else cxx=x86_64-w64-mingw32-g++-posix; dll="$B/win64/dist/mpeg.dll"; fi
dll="${SD_MPEG_DLL:-$dll}"
[ -f "$dll" ] || { echo "mpeg_decode: $dll not built"; exit 1; }

song="$work/five-minutes.mp3"
if [ ! -f "$song" ]; then
  # 300 s of a sweeping tone over noise, 44.1 kHz stereo, 192 kbit/s CBR
  sox -q -n -r 44100 -c 2 -b 16 "$work/five.wav" synth 300 sine 100:4000 pinknoise gain -8
  lame --quiet -b 192 "$work/five.wav" "$song"
  rm -f "$work/five.wav"
fi
exe="$work/decode_bench.exe"
if [ ! -f "$exe" ] || [ "$ROOT/bench/mpegdll/decode_bench.cpp" -nt "$exe" ]; then
  "$cxx" -std=c++20 -O2 -I "$ROOT" -o "$exe" "$ROOT/bench/mpegdll/decode_bench.cpp" -lmsacm32 -lwinmm -static
fi

echo "== mpeg.dll decoding speed ($arch, $(basename "$song"), $(stat -c %s "$song") bytes)"
winpath() { local p; p="$(realpath "$1")"; echo "Z:${p//\//\\}"; }
out="$("$WINELOADER" "$exe" "$(winpath "$dll")" "$(winpath "$song")" 3 2>/dev/null | tr -d '\r')"
echo "$out"
lib="$(echo "$out" | sed -n 's/^mpeg.dll decode only: \([0-9.]*\) s/\1/p')"
best=""
for i in 1 2 3; do
  s=$(date +%s.%N); mpg123 -q -t "$song" 2>/dev/null; e=$(date +%s.%N)
  t=$(echo "$e - $s" | bc -l)
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
done
printf 'native mpg123 -t: %.3f s\n' "$best"
printf 'ratio mpeg.dll / mpg123 -t: %.2f\n' "$(echo "$lib / $best" | bc -l)"
