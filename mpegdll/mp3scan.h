// The platform-free half of mpeg.dll's input side: MPEG audio frame headers, the audio range
// of a file between its tags, Xing/VBRI headers and the frame index used for length and seek.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sd::mpeg {

// One Layer III frame header.
struct FrameHeader {
  int version = 0;           // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
  int bitrate = 0;           // kbit/s
  int sampleRate = 0;        // Hz
  int channels = 0;          // 1 or 2
  int channelMode = 0;       // 0 stereo, 1 joint, 2 dual, 3 mono
  bool padding = false;
  bool crc = false;
  int frameBytes = 0;        // whole frame, header included
  int samplesPerFrame = 0;   // 1152 or 576
};

// Reads the four bytes at p (avail bytes readable). Only Layer III with a table bit rate
// (no free format) and a valid sample rate is accepted.
bool ParseHeader(const uint8_t* p, size_t avail, FrameHeader& h);

// True when two headers belong to the same stream (version, sample rate, mono or not).
bool SameStream(const FrameHeader& a, const FrameHeader& b);

// The part of a file that holds audio frames: after the ID3v2 tags at the start, before the
// ID3v1 tag, the LYRICS link block in front of it and an APEv2 tag at the end.
struct AudioRange {
  size_t begin = 0;
  size_t end = 0;
};
AudioRange FindAudioRange(const uint8_t* data, size_t size);

// Frame count (and byte count) of a Xing/Info or VBRI header in the frame at p.
struct VbrHeader {
  bool present = false;
  uint32_t frames = 0;   // 0 when the header does not give it
  uint32_t bytes = 0;
};
VbrHeader ParseVbrHeader(const uint8_t* p, size_t avail, const FrameHeader& h);

// The result of scanning a file: its format, the offsets of its audio frames (a Xing/VBRI
// frame excluded, it holds no audio) and how much damaged data was stepped over.
struct StreamInfo {
  FrameHeader format;
  std::vector<uint32_t> frames;  // file offset of each audio frame
  std::vector<uint16_t> sizes;   // its length in bytes
  VbrHeader vbr;
  size_t damagedBytes = 0;

  // Samples of the song: from the VBR header when it gives a count that the file holds,
  // else from the frames found.
  uint64_t TotalSamples() const;
  // Whole seconds, rounded.
  uint32_t DurationSeconds() const;
  // The frame holding sample s (the last frame when s is beyond the end).
  size_t FrameOfSample(uint64_t s) const;
  // Where decoding must start so that frame k decodes completely: far enough back to fill
  // the bit reservoir and the overlap of the previous frame.
  size_t PrimingStart(size_t k) const;
};

// Scans data[0, size) (a whole file). False when no Layer III stream is found. At most
// maxFrames frames are indexed (the rest of the file is ignored).
bool ScanStream(const uint8_t* data, size_t size, StreamInfo& out, size_t maxFrames = 8u << 20);

}  // namespace sd::mpeg
