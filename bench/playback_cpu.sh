#!/usr/bin/env bash
# CPU use while playing a song for 30 seconds: the player (songdeck.exe with mpeg.dll) against
# a bare waveOut loop playing the same PCM, in one run. For each: CPU seconds of the process
# and of the wineserver per second of music, and the ratio player / loop. Both repeat the
# 30-second song and are measured over whole plays of it (the first to end after 30 s), so
# the music covered is known whatever pace the sound device keeps (the test session's ALSA
# null device takes the sound faster than real time).
#   bench/playback_cpu.sh [PROGRAM_FOLDER]
# PROGRAM_FOLDER (or SD_PLAYER_DIR) holds songdeck.exe and mpeg.dll; default: the program
# folder of the build the tests run (build/win64/dist, or build/dist on 32-bit Wine).
# SD_BENCH_BUILD picks the build tree whose bench/playback helpers are used.
set -euo pipefail
SECONDS_PLAYED=30
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
B="$ROOT/build"
if [ -z "${WINELOADER:-}" ]; then exec "$ROOT/tools/with-wine.sh" bash "$0" "$@"; fi

arch="${SD_TEST_ARCH:-win64}"
if [ "$arch" = win32 ]; then build="$B/win32"; dist="$B/dist"; else build="$B/win64"; dist="$B/win64/dist"; fi
build="${SD_BENCH_BUILD:-$build}"
dist="${1:-${SD_PLAYER_DIR:-$dist}}"
work="$B/bench-playback"
mkdir -p "$work"

say() { echo "playback_cpu: $*"; }
for f in songdeck.exe mpeg.dll; do
  [ -f "$dist/$f" ] || { say "$dist/$f is not built"; exit 1; }
done
helpers="$build/bench/playback"
if [ ! -f "$helpers/playback_measure.exe" ] || [ ! -f "$helpers/playback_waveout.exe" ]; then
  [ -f "$build/CMakeCache.txt" ] || { say "$build is not configured; build it first"; exit 1; }
  cmake --build "$build" --target playback_measure playback_waveout >/dev/null
fi

# The song: four sustained chords of 7.5 s (30 s), 44.1 kHz stereo, 192 kbit/s CBR; its PCM
# as lame decodes it, for the waveOut loop.
song="$work/chords.mp3"; pcm="$work/chords.pcm"
if [ ! -f "$song" ] || [ ! -f "$pcm" ]; then
  parts=()
  i=0
  for chord in "261.63 329.63 392.00" "220.00 261.63 329.63" "174.61 220.00 261.63" "196.00 246.94 293.66"; do
    read -r f1 f2 f3 <<<"$chord"
    sox -q -n -r 44100 -c 2 -b 16 "$work/part$i.wav" synth 7.5 sine "$f1" sine mix "$f2" sine mix "$f3" \
      tremolo 3 30 fade 0.05 7.5 0.3 gain -6
    parts+=("$work/part$i.wav"); i=$((i + 1))
  done
  sox -q "${parts[@]}" "$work/chords.wav"
  lame --quiet -b 192 "$work/chords.wav" "$song.tmp" && mv "$song.tmp" "$song"
  lame --quiet --decode -t "$song" "$pcm.tmp" && mv "$pcm.tmp" "$pcm"
  rm -f "${parts[@]}" "$work/chords.wav"
fi

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
winpath() { local p; p="$(realpath "$1")"; echo "Z:${p//\//\\}"; }

# The wineserver of this session: its working folder is the server folder named after the
# device and inode of the prefix.
read -r prefix_dev prefix_ino < <(stat -L -c '%d %i' "$WINEPREFIX")
server_dir="$(printf 'server-%x-%x' "$prefix_dev" "$prefix_ino")"
wineserver_pid() {
  local p exe cwd
  for p in /proc/[0-9]*; do
    exe="$(readlink "$p/exe" 2>/dev/null)" || continue
    case "$exe" in *wineserver*) ;; *) continue ;; esac
    cwd="$(readlink "$p/cwd" 2>/dev/null)" || continue
    if [ "${cwd##*/}" = "$server_dir" ]; then echo "${p#/proc/}"; return 0; fi
  done
  return 1
}
tick="$(getconf CLK_TCK)"
ws_pid="$(wineserver_pid)" || { say "no wineserver found for $WINEPREFIX"; exit 1; }
song_seconds="$(calc "$(stat -c %s "$pcm") / 176400")"  # 16-bit stereo at 44.1 kHz
# utime + stime of the wineserver in seconds (fields 14 and 15, counted after the name).
ws_cpu() {
  local rest
  rest="$(sed 's/^.*) //' "/proc/$ws_pid/stat")"
  echo "$rest" | awk -v t="$tick" '{ printf "%.3f", ($12 + $13) / t }'
}

# Runs the measuring program; sets the val_* figures it prints and ws_run, the wineserver's
# CPU over the whole run (start-up and shutdown included).
val_plays="" val_startup="" val_cpu="" val_times="" val_wineserver="" val_wall="" val_source=""
measure() {
  local out rc=0 before after
  before="$(ws_cpu)"
  out="$("$WINELOADER" "$(winpath "$helpers/playback_measure.exe")" "$@" "$ws_pid" | tr -d '\r')" || rc=$?
  after="$(ws_cpu)"
  ws_run="$(calc "$after - $before")"
  local k
  for k in plays startup cpu times wineserver wall source; do
    printf -v "val_$k" '%s' "$(echo "$out" | sed -n "s/^$k=//p")"
  done
  return $rc
}

printf '== playback CPU (%s; %s s of playing a %.1f s song, 192 kbit/s, 44.1 kHz stereo; program folder %s)\n' \
  "$arch" "$SECONDS_PLAYED" "$song_seconds" "$dist"

# The bare loop first: without a sound device there is nothing to compare.
rc=0
measure baseline "$(winpath "$helpers/playback_waveout.exe")" "$(winpath "$pcm")" "$SECONDS_PLAYED" || rc=$?
if [ "$rc" = 3 ]; then
  say "waveOut cannot open a sound device in this session (no ALSA device?): nothing measured"
  exit 0
fi
[ "$rc" = 0 ] || { say "the bare waveOut loop could not be measured"; exit 1; }
base_cpu="$val_cpu"; base_times="$val_times"; base_ws="${val_wineserver:-$ws_run}"; base_ws_run="$ws_run"
base_wall="$val_wall"; base_source="$val_source"; base_music="$(calc "$val_plays * $song_seconds")"

# The player, from a copy of its program folder (its settings and library stay there), with
# two copies of the song on repeat: each start of a song marks the end of the one before.
tmp="$(mktemp -d "$work/sdcpu-XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
cp "$dist/songdeck.exe" "$dist/mpeg.dll" "$tmp/"
cp "$song" "$tmp/song1.mp3"; cp "$song" "$tmp/song2.mp3"
rc=0
measure player "$(winpath "$tmp")" "$(winpath "$tmp/song1.mp3")" "$(winpath "$tmp/song2.mp3")" "$SECONDS_PLAYED" || rc=$?
[ "$rc" = 0 ] || { say "the player could not be measured"; exit 1; }
play_cpu="$val_cpu"; play_times="$val_times"; play_ws="${val_wineserver:-$ws_run}"; play_ws_run="$ws_run"
play_wall="$val_wall"; play_source="$val_source"; play_startup="$val_startup"
play_music="$(calc "$val_plays * $song_seconds")"

per() { printf '%.5f' "$(calc "$1 / $2")"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "n/a" }'; }
printf '%-22s %9s %9s %11s %12s %11s %12s\n' "" "music" "in" "process" "s/s music" "wineserver" "s/s music"
printf '%-22s %7.1f s %7.2f s %9.3f s %12s %9.3f s %12s\n' "player (songdeck.exe)" "$play_music" "$play_wall" \
  "$play_cpu" "$(per "$play_cpu" "$play_music")" "$play_ws" "$(per "$play_ws" "$play_music")"
printf '%-22s %7.1f s %7.2f s %9.3f s %12s %9.3f s %12s\n' "bare waveOut loop" "$base_music" "$base_wall" \
  "$base_cpu" "$(per "$base_cpu" "$base_music")" "$base_ws" "$(per "$base_ws" "$base_music")"
# Ratios of CPU per second of music.
pp="$(calc "$play_cpu / $play_music")"; pw="$(calc "$play_ws / $play_music")"
bp="$(calc "$base_cpu / $base_music")"; bw="$(calc "$base_ws / $base_music")"
echo "ratio player / loop (per second of music): process $(ratio "$pp" "$bp"), wineserver $(ratio "$pw" "$bw")," \
  "together $(ratio "$(calc "$pp + $pw")" "$(calc "$bp + $bw")")"
printf 'the sound device took the music at %.2fx (player) and %.2fx (loop) real time\n' \
  "$(calc "$play_music / $play_wall")" "$(calc "$base_music / $base_wall")"
printf 'player start-up before the song: %.3f s CPU (not counted above)\n' "$play_startup"
printf 'wineserver over each whole run (start-up and shutdown included): player %.3f s, loop %.3f s\n' \
  "$play_ws_run" "$base_ws_run"
printf 'process CPU read from: player %s, loop %s\n' "$play_source" "$base_source"
printf 'GetProcessTimes over the same windows says: player %.3f s, loop %.3f s\n' "$play_times" "$base_times"
