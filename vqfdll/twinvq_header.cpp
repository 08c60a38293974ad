#include "vqfdll/twinvq_header.h"

#include <cstring>

namespace vqf {

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t RateOfCode(uint32_t code) {
  switch (code) {
    case 11: return 11025;
    case 22: return 22050;
    case 44: return 44100;
    default: return code * 1000;
  }
}

}  // namespace

bool ParseTwinVqHeader(const uint8_t* bytes, size_t n, uint64_t fileSize, TwinVqInfo& out) {
  out = TwinVqInfo{};
  if (n < 16 || fileSize < n || std::memcmp(bytes, "TWIN", 4) != 0) return false;
  const uint64_t headerEnd = 16 + uint64_t{BigEndian32(bytes + 12)};
  const uint64_t readEnd = headerEnd < n ? headerEnd : n;

  bool haveComm = false, haveSize = false;
  uint64_t pos = 16;
  uint64_t dataStart = headerEnd;
  while (pos + 4 <= readEnd) {
    const uint8_t* id = bytes + pos;
    if (std::memcmp(id, "DATA", 4) == 0) {
      dataStart = pos + 4;
      break;
    }
    if (pos + 8 > readEnd) break;
    const uint64_t size = BigEndian32(bytes + pos + 4);
    const uint64_t payload = pos + 8;
    if (size > readEnd - payload) break;  // a chunk running past what was read
    if (std::memcmp(id, "COMM", 4) == 0 && size >= 12) {
      uint32_t mode = BigEndian32(bytes + payload);
      out.channels = mode == 0 ? 1 : 2;
      out.bitrateKbps = BigEndian32(bytes + payload + 4);
      uint32_t code = BigEndian32(bytes + payload + 8);
      out.sampleRate = code >= 1 && code <= 96 ? RateOfCode(code) : 0;
      haveComm = true;
    } else if (std::memcmp(id, "DSIZ", 4) == 0 && size >= 4) {
      out.dataSize = BigEndian32(bytes + payload);
      haveSize = true;
    }
    pos = payload + size;
  }
  // A "DATA" id right after the header chunks belongs to the stream's start, not to it.
  if (dataStart == headerEnd && headerEnd + 4 <= n && std::memcmp(bytes + headerEnd, "DATA", 4) == 0)
    dataStart = headerEnd + 4;
  if (!haveComm || out.sampleRate == 0 || out.bitrateKbps == 0 || out.bitrateKbps > 1024) {
    out = TwinVqInfo{};
    return false;
  }
  if (!haveSize) out.dataSize = fileSize > dataStart ? fileSize - dataStart : 0;
  if (out.dataSize > 0xFFFFFFFFu) out.dataSize = 0xFFFFFFFFu;

  out.samplesPerFrame = out.sampleRate >= 32000 ? 1024 : out.sampleRate >= 16000 ? 512 : 256;
  // frames = bits of the stream / bits per frame, a started frame counting as one; the
  // numbers stay far inside 64 bits (data < 2^32 bytes, rate < 2^17, bit rate <= 1024000).
  const uint64_t bitsTimesRate = out.dataSize * 8 * out.sampleRate;
  const uint64_t perFrame = uint64_t{out.bitrateKbps} * 1000 * out.samplesPerFrame;
  uint64_t frames = (bitsTimesRate + perFrame - 1) / perFrame;
  if (frames > 0xFFFFFFFFu) frames = 0xFFFFFFFFu;
  out.frames = static_cast<uint32_t>(frames);
  out.seconds = static_cast<uint32_t>(
      (frames * out.samplesPerFrame + out.sampleRate / 2) / out.sampleRate);
  return true;
}

uint32_t FrameAt(const TwinVqInfo& info, uint64_t elapsedMs) {
  if (info.sampleRate == 0 || info.samplesPerFrame == 0) return 0;
  if (elapsedMs > (uint64_t{1} << 40)) elapsedMs = uint64_t{1} << 40;  // 34 years
  uint64_t frame = elapsedMs * info.sampleRate / (uint64_t{info.samplesPerFrame} * 1000);
  return frame < info.frames ? static_cast<uint32_t>(frame) : info.frames;
}

}  // namespace vqf
