#!/usr/bin/env python3
"""The demo song of the program folder, made from nothing but arithmetic.

  compose.py wav OUT.wav     a 24-second piece: melody, chords, bass and drums (44.1 kHz stereo)
  compose.py tag SONG.mp3    appends the LYRICS link block and an ID3v1 tag (GBK texts)
  compose.py lrc OUT.lrc     the lyrics, timed to the bars of the piece (GBK)
"""
import math
import random
import struct
import sys
import wave

RATE = 44100
BEAT = 0.6                       # 100 beats a minute
BAR = 4 * BEAT
BARS = 10
SECONDS = BARS * BAR
LYRICS_NAME = "demo.lrc"

# C major: bars of C, Am, F, G and again, ending on C.
CHORDS = [[60, 64, 67], [57, 60, 64], [53, 57, 60], [55, 59, 62]] * 2 + [[53, 57, 60], [60, 64, 67]]
# The tune in eighth notes, pentatonic (scale steps of C D E G A), None = rest.
TUNE = [
    [64, 67, 69, 67, 64, 62, 60, None], [60, 64, 62, 60, 57, None, 57, 60],
    [65, 64, 62, 60, 62, 64, 65, 67], [67, None, 69, 67, 62, 64, 62, None],
    [72, 69, 67, 64, 67, 69, 72, None], [69, 67, 64, 62, 64, None, 60, 62],
    [65, 69, 72, 69, 65, 64, 62, 60], [62, 64, 67, 71, 69, 67, 62, None],
    [60, 62, 64, 65, 64, 62, 60, 57], [60, None, 64, None, 67, None, 72, None],
]

def freq(note):
    return 440.0 * 2 ** ((note - 69) / 12.0)

def add_note(buf, start, length, f, amp, harmonics, attack=0.01, release=0.08):
    i0 = int(start * RATE)
    n = int((length + release) * RATE)
    w = 2 * math.pi * f / RATE
    for i in range(n):
        j = i0 + i
        if j >= len(buf):
            break
        t = i / RATE
        env = min(1.0, t / attack) if t < attack else math.exp(-2.5 * (t - attack))
        if t > length:
            env *= max(0.0, 1 - (t - length) / release)
        s = 0.0
        for k, h in harmonics:
            s += h * math.sin(w * k * i)
        buf[j] += amp * env * s

def compose():
    n = int(SECONDS * RATE) + RATE // 2
    left, right = [0.0] * n, [0.0] * n
    lead = [(1, 1.0), (2, 0.35), (3, 0.15)]
    pad = [(1, 1.0), (2, 0.2)]
    for bar in range(BARS):
        t0 = bar * BAR
        for note in CHORDS[bar]:
            add_note(left, t0, BAR * 0.95, freq(note), 0.05, pad, attack=0.2, release=0.3)
            add_note(right, t0, BAR * 0.95, freq(note), 0.03, pad, attack=0.2, release=0.3)
        root = CHORDS[bar][0] - 24
        for beat in range(4):
            b = root if beat % 2 == 0 else root + 7
            add_note(left, t0 + beat * BEAT, BEAT * 0.8, freq(b), 0.09, [(1, 1.0), (2, 0.5)])
            add_note(right, t0 + beat * BEAT, BEAT * 0.8, freq(b), 0.09, [(1, 1.0), (2, 0.5)])
        for step, note in enumerate(TUNE[bar]):
            if note is None:
                continue
            ts = t0 + step * BEAT / 2
            add_note(left, ts, BEAT / 2 * 0.9, freq(note), 0.07, lead)
            add_note(right, ts, BEAT / 2 * 0.9, freq(note), 0.12, lead)
    # Drums: a kick on the beats one and three, a soft hat on every eighth.
    rnd = random.Random(2026)
    for bar in range(BARS):
        for step in range(8):
            t0 = bar * BAR + step * BEAT / 2
            i0 = int(t0 * RATE)
            if step % 4 == 0:
                phase = 0.0
                for i in range(int(0.25 * RATE)):
                    t = i / RATE
                    phase += 2 * math.pi * (50 + 100 * math.exp(-30 * t)) / RATE
                    s = 0.35 * math.exp(-12 * t) * math.sin(phase)
                    left[i0 + i] += s
                    right[i0 + i] += s
            for i in range(int(0.04 * RATE)):
                s = 0.03 * math.exp(-120 * i / RATE) * (rnd.random() * 2 - 1)
                left[i0 + i] += s * 0.7
                right[i0 + i] += s
    return left, right

def write_wav(path):
    left, right = compose()
    peak = max(max(abs(x) for x in left), max(abs(x) for x in right))
    scale = 0.8 * 32767 / peak
    frames = bytearray()
    for a, b in zip(left, right):
        frames += struct.pack("<hh", int(a * scale), int(b * scale))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))

def field(text, size):
    return text.encode("gbk")[:size].ljust(size, b"\0")

def write_tag(path):
    with open(path, "ab") as f:
        f.write(b"LYRICS" + field(LYRICS_NAME, 30))
        f.write(b"TAG" + field("青禾小曲", 30) + field("songdeck", 30) + field("演示", 30) +
                field("2026", 4) + field("made by demo/compose.py", 30) + bytes([14]))  # 14 Pop

LINES = [
    "（前奏）",
    "清晨的风吹过青青的禾田",
    "小河弯弯唱着昨天的歌",
    "我把心事折成一只纸船",
    "顺着水流漂向你的窗前",
    "啦啦啦 青禾在风里摇",
    "啦啦啦 月光在水上跳",
    "等到稻花香满了山坡",
    "我们再一起慢慢地走",
    "（尾声）",
]

def write_lrc(path):
    out = ["[ti:青禾小曲]", "[ar:songdeck]", "[by:songdeck]"]
    for bar, text in enumerate(LINES):
        t = bar * BAR if bar < BARS - 1 else (BARS - 1) * BAR
        out.append("[%02d:%05.2f]%s" % (int(t) // 60, t % 60, text))
    with open(path, "wb") as f:
        f.write(("\r\n".join(out) + "\r\n").encode("gbk"))

if __name__ == "__main__":
    what, target = sys.argv[1], sys.argv[2]
    {"wav": write_wav, "tag": write_tag, "lrc": write_lrc}[what](target)
