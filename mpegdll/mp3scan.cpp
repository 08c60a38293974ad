#include "mpegdll/mp3scan.h"

#include <cstdint>
#include <cstring>

namespace sd::mpeg {
namespace {

// kbit/s by [MPEG-1 or not][index]
const int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
const int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Side information bytes after the header of a Layer III frame.
int SideInfoBytes(const FrameHeader& h) {
  if (h.version == 0) return h.channels == 1 ? 17 : 32;
  return h.channels == 1 ? 9 : 17;
}

bool HeaderAt(const uint8_t* data, size_t size, size_t pos, FrameHeader& h) {
  return pos < size && ParseHeader(data + pos, size - pos, h);
}

// A frame at pos that the stream can lock on: its successor (if the range has room for
// one) is a frame of the same stream.
bool Confirmed(const uint8_t* data, size_t end, size_t pos, const FrameHeader& h) {
  size_t next = pos + size_t(h.frameBytes);
  if (next > end) return false;
  if (next + 4 > end) return true;  // the last frame of the range
  FrameHeader n;
  return HeaderAt(data, end, next, n) && SameStream(h, n);
}

}  // namespace

bool ParseHeader(const uint8_t* p, size_t avail, FrameHeader& h) {
  if (avail < 4) return false;
  uint32_t v = Be32(p);
  if ((v & 0xFFE00000u) != 0xFFE00000u) return false;
  int ver = (v >> 19) & 3;    // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
  int layer = (v >> 17) & 3;  // 1 = Layer III
  int br = (v >> 12) & 15;
  int sr = (v >> 10) & 3;
  if (ver == 1 || layer != 1 || br == 0 || br == 15 || sr == 3) return false;
  h.version = ver == 3 ? 0 : ver == 2 ? 1 : 2;
  h.bitrate = kBitrates[h.version == 0 ? 0 : 1][br];
  h.sampleRate = kRates[h.version][sr];
  h.padding = (v >> 9) & 1;
  h.crc = !((v >> 16) & 1);
  h.channelMode = (v >> 6) & 3;
  h.channels = h.channelMode == 3 ? 1 : 2;
  h.samplesPerFrame = h.version == 0 ? 1152 : 576;
  int factor = h.version == 0 ? 144000 : 72000;
  h.frameBytes = factor * h.bitrate / h.sampleRate + (h.padding ? 1 : 0);
  return h.frameBytes > 4 + SideInfoBytes(h);
}

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
  return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

AudioRange FindAudioRange(const uint8_t* data, size_t size) {
  AudioRange r{0, size};
  // ID3v2 tags (there may be more than one in a row): "ID3", version, flags, 4 sync-safe bytes.
  while (r.end - r.begin >= 10) {
    const uint8_t* p = data + r.begin;
    if (std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF) break;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80) break;
    size_t len = (size_t(p[6]) << 21) | (size_t(p[7]) << 14) | (size_t(p[8]) << 7) | p[9];
    len += 10;
    if (p[5] & 0x10) len += 10;  // footer
    if (len > r.end - r.begin) {
      r.begin = r.end;
      return r;
    }
    r.begin += len;
  }
  // At the end: ID3v1 (128 bytes "TAG"), the LYRICS block just in front of it (36 bytes),
  // and an APEv2 tag with its footer, in any order from the end inwards.
  for (int round = 0; round < 4; ++round) {
    size_t n = r.end - r.begin;
    const uint8_t* e = data + r.end;
    if (n >= 128 && std::memcmp(e - 128, "TAG", 3) == 0) {
      r.end -= 128;
      if (r.end - r.begin >= 36 && std::memcmp(data + r.end - 36, "LYRICS", 6) == 0) r.end -= 36;
      continue;
    }
    if (n >= 32 && std::memcmp(e - 32, "APETAGEX", 8) == 0) {
      const uint8_t* f = e - 32;
      size_t tagSize = size_t(f[12]) | (size_t(f[13]) << 8) | (size_t(f[14]) << 16) | (size_t(f[15]) << 24);
      bool hasHeader = f[23] & 0x80;
      size_t total = tagSize + (hasHeader ? 32 : 0);
      if (tagSize < 32 || total > n) break;
      r.end -= total;
      continue;
    }
    break;
  }
  return r;
}

VbrHeader ParseVbrHeader(const uint8_t* p, size_t avail, const FrameHeader& h) {
  VbrHeader v;
  size_t limit = avail < size_t(h.frameBytes) ? avail : size_t(h.frameBytes);
  size_t x = 4 + size_t(SideInfoBytes(h)) + (h.crc ? 2 : 0);
  if (x + 8 <= limit && (std::memcmp(p + x, "Xing", 4) == 0 || std::memcmp(p + x, "Info", 4) == 0)) {
    v.present = true;
    uint32_t flags = Be32(p + x + 4);
    size_t q = x + 8;
    if (flags & 1) {
      if (q + 4 > limit) return v;
      v.frames = Be32(p + q);
      q += 4;
    }
    if (flags & 2) {
      if (q + 4 > limit) return v;
      v.bytes = Be32(p + q);
    }
    return v;
  }
  if (36 + 18 <= limit && std::memcmp(p + 36, "VBRI", 4) == 0) {
    v.present = true;
    v.bytes = Be32(p + 36 + 10);
    v.frames = Be32(p + 36 + 14);
  }
  return v;
}

uint64_t StreamInfo::TotalSamples() const {
  uint64_t found = frames.size();
  uint64_t n = found;
  // The header's count wins when the file really holds that many frames (it leaves out
  // what a scan may take for a frame in trailing junk); a truncated file keeps the scan.
  if (vbr.present && vbr.frames > 0 && vbr.frames <= found) n = vbr.frames;
  return n * uint64_t(format.samplesPerFrame);
}

uint32_t StreamInfo::DurationSeconds() const {
  if (format.sampleRate <= 0) return 0;
  return uint32_t((TotalSamples() + uint64_t(format.sampleRate) / 2) / uint64_t(format.sampleRate));
}

size_t StreamInfo::FrameOfSample(uint64_t s) const {
  if (frames.empty() || format.samplesPerFrame <= 0) return 0;
  uint64_t k = s / uint64_t(format.samplesPerFrame);
  return k >= frames.size() ? frames.size() - 1 : size_t(k);
}

size_t StreamInfo::PrimingStart(size_t k) const {
  // The reservoir reaches back at most 511 bytes (255 for MPEG-2/2.5); one more frame covers
  // the overlap of the transform.
  const size_t reservoir = format.version == 0 ? 511 : 255;
  size_t start = k, bytes = 0;
  while (start > 0 && (start == k || bytes < reservoir) && k - start < 32) {
    --start;
    bytes += sizes[start];
  }
  if (start > 0 && k - start < 32) --start;  // the overlap of the first primed frame
  return start;
}

bool ScanStream(const uint8_t* data, size_t size, StreamInfo& out, size_t maxFrames) {
  out = StreamInfo{};
  AudioRange r = FindAudioRange(data, size);
  if (r.end > 0xFFFFFFF0u) r.end = 0xFFFFFFF0u;  // offsets are 32-bit
  size_t pos = r.begin;
  bool locked = false;
  size_t expected = SIZE_MAX;  // where the frame after the last one found begins
  FrameHeader h;
  while (pos + 4 <= r.end && out.frames.size() < maxFrames) {
    // Locking on, or finding the stream again after damage, takes two frames in a row; a
    // frame right after the last one only has to fit.
    bool ok = HeaderAt(data, r.end, pos, h) && (!locked || SameStream(out.format, h));
    if (ok) ok = pos == expected ? pos + size_t(h.frameBytes) <= r.end : Confirmed(data, r.end, pos, h);
    if (ok) {
      if (!locked) {
        locked = true;
        out.format = h;
        out.vbr = ParseVbrHeader(data + pos, r.end - pos, h);
        if (out.vbr.present) {
          pos += size_t(h.frameBytes);
          expected = pos;
          continue;
        }
      }
      out.frames.push_back(uint32_t(pos));
      out.sizes.push_back(uint16_t(h.frameBytes));
      pos += size_t(h.frameBytes);
      expected = pos;
      continue;
    }
    // Not a frame here: step to the next byte that may start one.
    size_t next = pos + 1;
    while (next + 1 < r.end && !(data[next] == 0xFF && (data[next + 1] & 0xE0) == 0xE0)) ++next;
    if (locked) out.damagedBytes += next - pos;
    pos = next;
  }
  if (locked && out.frames.empty() && !out.vbr.present) locked = false;
  return locked && !out.frames.empty();
}

}  // namespace sd::mpeg
