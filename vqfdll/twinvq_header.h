// The header of a TwinVQ (".vqf") file, as far as the vqf.dll stand-in needs it:
//   "TWIN" | version, 8 ASCII characters | header size H (32-bit big-endian) |
//   H bytes of chunks, each: id (4) | size (32-bit big-endian) | payload
// "COMM" carries channel mode, bit rate (kbit/s) and sample rate (a kHz code: 11, 22 and 44
// stand for 11025, 22050 and 44100 Hz, any other code for code x 1000 Hz), 32-bit big-endian
// each; "DSIZ" the size of the bit stream in bytes. A "DATA" id, or the end of the header
// chunks, starts the bit stream. Bytes of a file are untrusted: sizes are checked against
// what was read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vqf {

struct TwinVqInfo {
  uint32_t channels = 0;         // 1 or 2
  uint32_t bitrateKbps = 0;
  uint32_t sampleRate = 0;       // Hz
  uint32_t samplesPerFrame = 0;  // 1024 from 32 kHz up, 512 from 16 kHz up, else 256
  uint64_t dataSize = 0;         // bytes of the bit stream
  uint32_t frames = 0;
  uint32_t seconds = 0;          // frames x samples per frame / sample rate, rounded
};

// Parses the first n bytes of a file of fileSize bytes. False when they are no TwinVQ
// header or lack a usable "COMM" chunk.
bool ParseTwinVqHeader(const uint8_t* bytes, size_t n, uint64_t fileSize, TwinVqInfo& out);

// The frame reached after elapsedMs milliseconds of playing, at most the last one.
uint32_t FrameAt(const TwinVqInfo& info, uint64_t elapsedMs);

}  // namespace vqf
