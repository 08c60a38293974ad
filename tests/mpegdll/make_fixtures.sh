#!/usr/bin/env bash
# Short MP3 fixtures for the decoder tests, made with sox and lame; lame --decode gives the
# reference PCM of each (raw 16-bit little-endian, interleaved).  Usage: make_fixtures.sh OUTDIR
set -euo pipefail
out="$1"; mkdir -p "$out"; cd "$out"

# A few seconds of "music": a chord whose notes swell, plus a little noise, so every band
# of the spectrum carries something.
tone() {  # file rate channels seconds
  sox -q -n -r "$2" -c "$3" -b 16 "$1" synth "$4" sine 220 sine 277 sine 330 sine 1760 pinknoise \
      remix - gain -12 tremolo 3 40 fade 0.05 "$4" 0.05 ${5:-}
}
enc() {  # wav mp3 lame-options...
  local w="$1" m="$2"; shift 2
  lame --quiet "$@" "$w" "$m"
  lame --quiet --decode -t "$m" "${m%.mp3}.raw"
}

tone a44s.wav 44100 2 6; tone a22m.wav 22050 1 4; tone a11s.wav 11025 2 4; tone a48s.wav 48000 2 5
# stereo: remix - gives one channel; spread it again with a small offset between channels
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
rm -f a44s.wav a22m.wav a11s.wav a48s.wav
