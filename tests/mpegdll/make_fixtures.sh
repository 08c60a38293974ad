#!/usr/bin/env bash
# Short MP3 fixtures for the decoder tests, made with sox and lame; lame --decode gives the
# reference PCM of each (raw 16-bit little-endian, interleaved).  Usage: make_fixtures.sh OUTDIR
set -euo pipefail
out="$1"; mkdir -p "$out"; cd "$out"

# A few seconds of sound that never repeats (a rising tone, a falling one and noise), so
# that aligning two decodings by cross-correlation has one clear answer, and every band of
# the spectrum carries something.
tone() {  # file rate seconds (mono)
  sox -q -n -r "$2" -c 3 -b 16 "$1.3.wav" synth "$3" sine 150:3000 sine 5000:400 pinknoise
  sox -q "$1.3.wav" "$1" remix 1v0.3,2v0.2,3v0.4 gain -6 tremolo 3 30 fade 0.05 "$3" 0.05
  rm -f "$1.3.wav"
}
enc() {  # wav mp3 lame-options...
  local w="$1" m="$2"; shift 2
  lame --quiet "$@" "$w" "$m"
  lame --quiet --decode -t "$m" "${m%.mp3}.raw"
}

tone a44s.wav 44100 6; tone a22m.wav 22050 4; tone a11s.wav 11025 4; tone a48s.wav 48000 5
# stereo: the second channel a quieter copy of the first
for f in a44s a11s a48s; do sox -q "$f.wav" "$f-2.wav" remix 1 1v0.7 && mv "$f-2.wav" "$f.wav"; done

enc a44s.wav cbr44.mp3 -b 128 -m j                 # MPEG-1, CBR, 6 s
enc a44s.wav vbr44.mp3 -V 4 -m j                   # MPEG-1, VBR (Xing), 6 s
enc a48s.wav cbr48.mp3 -b 192 -m s                 # MPEG-1 48 kHz, 5 s
enc a22m.wav m2mono.mp3 -b 48 -m m                 # MPEG-2 22.05 kHz mono, 4 s
enc a11s.wav m25vbr.mp3 -V 6 -m j                  # MPEG-2.5 11.025 kHz VBR, 4 s

# Tagged: ID3v2 at the start, the LYRICS link block and an ID3v1 tag at the end.
lame --quiet -b 128 --id3v2-only --tt "Tagged" a44s.wav tagged.mp3
python3 - <<'PY'
with open("tagged.mp3", "ab") as f:
    f.write(b"LYRICS" + b"tagged.lrc".ljust(30, b"\0"))
    f.write(b"TAG" + b"Tagged".ljust(30, b"\0") + bytes(30 + 30 + 4 + 30) + bytes([13]))
PY
lame --quiet --decode -t tagged.mp3 tagged.raw
rm -f a44s.wav a22m.wav a11s.wav a48s.wav

# Seeds for the scanner's fuzzer: the songs only, and a short cut of one.
mkdir -p corpus
cp cbr44.mp3 vbr44.mp3 m2mono.mp3 m25vbr.mp3 tagged.mp3 corpus/
head -c 3000 m2mono.mp3 > corpus/short.mp3
