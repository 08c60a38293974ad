#!/usr/bin/env bash
# Makes the demo song of the program folder: demo.mp3 (synthesised by compose.py, encoded
# with lame, tagged with ID3v1 and the LYRICS block naming its lyrics) and Lyrics/demo.lrc.
#   make_demo.sh PROGRAM_FOLDER WORK_FOLDER
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
dist="$1"; work="$2"
mkdir -p "$dist/Lyrics" "$work"
python3 "$here/compose.py" wav "$work/demo.wav"
lame --quiet -V 2 "$work/demo.wav" "$work/demo.mp3"
python3 "$here/compose.py" tag "$work/demo.mp3"
python3 "$here/compose.py" lrc "$work/demo.lrc"
mv "$work/demo.mp3" "$dist/demo.mp3"
mv "$work/demo.lrc" "$dist/Lyrics/demo.lrc"
rm -f "$work/demo.wav"
