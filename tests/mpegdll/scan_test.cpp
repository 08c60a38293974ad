#include "mpegdll/mp3scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace sd::mpeg;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> d;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
  std::fclose(f);
  return d;
}

std::string Fixture(const char* name) { return std::string(SD_BIN_DIR) + "tests/mpegdll/fixtures/" + name; }

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo, no CRC: 417 bytes a frame.
const uint8_t kHeader128[4] = {0xFF, 0xFB, 0x90, 0x40};

void AppendFrames(std::vector<uint8_t>& d, int count, uint8_t fill = 0x11) {
  std::vector<uint8_t> frame(417, fill);
  std::memcpy(frame.data(), kHeader128, 4);
  for (int i = 0; i < count; ++i) d.insert(d.end(), frame.begin(), frame.end());
}

}  // namespace

struct FixtureCase {
  const char* name;
  int version, rate, channels;
  double seconds;
  bool vbrHeader;
};

TEST(MpegScan, FixturesHaveTheirFormatAndLength) {
  const FixtureCase cases[] = {
      {"cbr44.mp3", 0, 44100, 2, 6, true},   {"vbr44.mp3", 0, 44100, 2, 6, true},
      {"cbr48.mp3", 0, 48000, 2, 5, true},   {"m2mono.mp3", 1, 22050, 1, 4, false},
      {"m25vbr.mp3", 2, 11025, 2, 4, true},  {"tagged.mp3", 0, 44100, 2, 6, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto d = ReadFile(Fixture(c.name));
    ASSERT_FALSE(d.empty());
    StreamInfo s;
    ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
    EXPECT_EQ(s.format.version, c.version);
    EXPECT_EQ(s.format.sampleRate, c.rate);
    EXPECT_EQ(s.format.channels, c.channels);
    EXPECT_EQ(s.vbr.present, c.vbrHeader);
    EXPECT_EQ(s.damagedBytes, 0u);
    double secs = double(s.TotalSamples()) / s.format.sampleRate;
    EXPECT_NEAR(secs, c.seconds, 1.0);
    EXPECT_NEAR(double(s.DurationSeconds()), c.seconds, 1.0);
  }
}

TEST(MpegScan, TagsAtBothEndsAreNotAudio) {
  std::vector<uint8_t> d = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0};  // 128-byte body
  d.resize(d.size() + 128, 0xFF);  // a tag body full of sync-like bytes
  size_t first = d.size();
  AppendFrames(d, 5);
  size_t audioEnd = d.size();
  const char lyrics[] = "LYRICS";
  d.insert(d.end(), lyrics, lyrics + 6);
  d.resize(d.size() + 30, 0);
  d.push_back('T'), d.push_back('A'), d.push_back('G');
  d.resize(d.size() + 125, 0xFF);

  AudioRange r = FindAudioRange(d.data(), d.size());
  EXPECT_EQ(r.begin, first);
  EXPECT_EQ(r.end, audioEnd);
  StreamInfo s;
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  ASSERT_EQ(s.frames.size(), 5u);
  EXPECT_EQ(s.frames[0], first);
  EXPECT_EQ(s.damagedBytes, 0u);
}

TEST(MpegScan, DamagedDataIsSteppedOverAndATruncatedFrameDropped) {
  std::vector<uint8_t> d;
  AppendFrames(d, 3);
  d.insert(d.end(), {0xFF, 0xFB, 0x00, 0x12, 0xFF, 0x34, 0x56});  // junk with false syncs
  AppendFrames(d, 4);
  d.resize(d.size() - 100);  // the last frame is cut short
  StreamInfo s;
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  EXPECT_EQ(s.frames.size(), 6u);
  EXPECT_GE(s.damagedBytes, 7u);
  EXPECT_EQ(s.frames[3], 3u * 417 + 7);
}

TEST(MpegScan, XingFrameGivesTheCountAndHoldsNoAudio) {
  std::vector<uint8_t> d;
  AppendFrames(d, 1, 0);
  std::memcpy(&d[4 + 32], "Xing\0\0\0\x01\0\0\0\x08", 12);  // frames field only: 8
  AppendFrames(d, 10);
  StreamInfo s;
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  EXPECT_TRUE(s.vbr.present);
  EXPECT_EQ(s.vbr.frames, 8u);
  EXPECT_EQ(s.frames.size(), 10u);
  EXPECT_EQ(s.frames[0], 417u);
  EXPECT_EQ(s.TotalSamples(), 8u * 1152);
  // A header that claims more frames than the file holds (truncated file) loses.
  std::memcpy(&d[4 + 32 + 8], "\0\0\x10\0", 4);
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  EXPECT_EQ(s.TotalSamples(), 10u * 1152);
}

TEST(MpegScan, VbriFrameGivesTheCount) {
  std::vector<uint8_t> d;
  AppendFrames(d, 1, 0);
  // "VBRI", version 1, delay, quality, bytes, frames (big-endian) 36 bytes into the frame
  const uint8_t vbri[18] = {'V', 'B', 'R', 'I', 0, 1, 0, 0, 0, 50, 0, 0, 0x10, 0, 0, 0, 0, 9};
  std::memcpy(&d[36], vbri, sizeof vbri);
  AppendFrames(d, 12);
  StreamInfo s;
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  EXPECT_TRUE(s.vbr.present);
  EXPECT_EQ(s.vbr.frames, 9u);
  EXPECT_EQ(s.frames.size(), 12u);
  EXPECT_EQ(s.TotalSamples(), 9u * 1152);
}

TEST(MpegScan, ApeTagAtTheEndIsNotAudio) {
  std::vector<uint8_t> d;
  AppendFrames(d, 4);
  size_t audioEnd = d.size();
  std::vector<uint8_t> item(40, 0xFF);  // an item body full of sync-like bytes
  d.insert(d.end(), item.begin(), item.end());
  uint8_t footer[32] = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 0x07, 0, 0, 72, 0, 0, 0, 1};
  d.insert(d.end(), footer, footer + 32);
  EXPECT_EQ(FindAudioRange(d.data(), d.size()).end, audioEnd);
  // A footer that claims more than the file holds is not trusted.
  d[d.size() - 32 + 12] = 0xFF, d[d.size() - 32 + 13] = 0xFF;
  EXPECT_EQ(FindAudioRange(d.data(), d.size()).end, d.size());
}

TEST(MpegScan, NonAudioIsRejected) {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back({});
  for (size_t n = 1; n < 12; ++n) inputs.push_back(std::vector<uint8_t>(n, 0xFF));
  std::vector<uint8_t> text(5000);
  for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t("Not a song at all. "[i % 19]);
  inputs.push_back(text);
  std::vector<uint8_t> lone;  // one header with nothing that confirms it
  AppendFrames(lone, 1);
  lone.resize(600, 0x00);
  inputs.push_back(lone);
  std::vector<uint8_t> id3only = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};  // claims 256 MB
  AppendFrames(id3only, 3);
  inputs.push_back(id3only);
  for (const auto& in : inputs) {
    StreamInfo s;
    EXPECT_FALSE(ScanStream(in.data(), in.size(), s)) << "input of " << in.size() << " bytes";
  }
}

TEST(MpegScan, FrameIndexAndPriming) {
  std::vector<uint8_t> d;
  AppendFrames(d, 40);
  StreamInfo s;
  ASSERT_TRUE(ScanStream(d.data(), d.size(), s));
  EXPECT_EQ(s.FrameOfSample(0), 0u);
  EXPECT_EQ(s.FrameOfSample(1151), 0u);
  EXPECT_EQ(s.FrameOfSample(1152), 1u);
  EXPECT_EQ(s.FrameOfSample(44100), 38u);
  EXPECT_EQ(s.FrameOfSample(1u << 30), 39u);
  EXPECT_EQ(s.PrimingStart(0), 0u);
  EXPECT_EQ(s.PrimingStart(1), 0u);
  // 511 bytes of reservoir take two 417-byte frames, the transform overlap one more.
  EXPECT_EQ(s.PrimingStart(20), 17u);
}
