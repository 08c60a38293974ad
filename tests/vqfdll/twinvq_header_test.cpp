#include "vqfdll/twinvq_header.h"

#include <gtest/gtest.h>

#include "tests/vqfdll/twinvq_file.h"

namespace vqf {
namespace {

using vqftest::BigEndian;
using vqftest::Chunk;
using vqftest::Comm;
using vqftest::TwinVqFile;

bool Parse(const std::string& file, TwinVqInfo& info) {
  return ParseTwinVqHeader(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                           file.size(), info);
}

TEST(TwinVqHeader, LengthAndFramesFromTheChunks) {
  const struct {
    std::string file;
    uint32_t channels, rate, samplesPerFrame, frames, seconds;
  } cases[] = {
      // 22.05 kHz, 20 kbit/s, 512 samples a frame: 464.4 bits a frame; 10000 bytes of
      // stream = 172.3 frames -> 173 frames, 4.0 s
      {TwinVqFile(Chunk("NAME", "song") + Comm(0, 20, 22), 10000), 1, 22050, 512, 173, 4},
      // 44.1 kHz stereo at 48 kbit/s, DSIZ names the stream size (the rest is ignored):
      // 60000 bytes = 1114.9 bits a frame -> 431 frames, 10.0 s
      {TwinVqFile(Comm(1, 48, 44) + Chunk("DSIZ", BigEndian(60000)), 100), 2, 44100, 1024, 431,
       10},
      // 8 kHz at 8 kbit/s, 256 samples a frame = 256 bits: 3200 bytes = 100 frames, 3.2 s
      {TwinVqFile(Comm(0, 8, 8), 3200), 1, 8000, 256, 100, 3},
      // no DATA id: the stream starts after the header chunks
      {TwinVqFile(Comm(0, 8, 8), 3200, false), 1, 8000, 256, 100, 3},
      // an empty stream
      {TwinVqFile(Comm(0, 8, 8), 0), 1, 8000, 256, 0, 0},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    TwinVqInfo info;
    ASSERT_TRUE(Parse(cases[k].file, info)) << k;
    EXPECT_EQ(info.channels, cases[k].channels) << k;
    EXPECT_EQ(info.sampleRate, cases[k].rate) << k;
    EXPECT_EQ(info.samplesPerFrame, cases[k].samplesPerFrame) << k;
    EXPECT_EQ(info.frames, cases[k].frames) << k;
    EXPECT_EQ(info.seconds, cases[k].seconds) << k;
  }
}

TEST(TwinVqHeader, BrokenHeadersAreRefused) {
  std::string good = TwinVqFile(Comm(0, 20, 22), 1000);
  std::string chunkTooLong = TwinVqFile(Chunk("NAME", "x").substr(0, 4) + BigEndian(1u << 30) +
                                            Comm(0, 20, 22),
                                        1000);
  std::string headerTooLong = good;
  headerTooLong.replace(12, 4, BigEndian(0xFFFFFFF0u));  // chunks read as far as there are bytes
  const struct {
    std::string file;
    bool ok;
  } cases[] = {
      {good, true},
      {"", false},
      {"TWIN", false},
      {"RIFF" + good.substr(4), false},
      {TwinVqFile(Chunk("NAME", "song"), 1000), false},          // no COMM
      {TwinVqFile(Comm(0, 0, 22), 1000), false},                 // no bit rate
      {TwinVqFile(Comm(0, 20, 0), 1000), false},                 // no sample rate
      {TwinVqFile(Comm(0, 20, 0xFFFFFFFFu), 1000), false},       // no sensible rate
      {TwinVqFile(Chunk("COMM", "short"), 1000), false},         // COMM too small
      {chunkTooLong, false},                                     // COMM hidden behind it
      {headerTooLong, true},
      {good.substr(0, 30), false},                               // COMM cut off
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    TwinVqInfo info;
    EXPECT_EQ(Parse(cases[k].file, info), cases[k].ok) << k;
    if (!cases[k].ok) {
      EXPECT_EQ(info.frames, 0u) << k;
    }
  }
}

TEST(TwinVqHeader, FramesAdvanceWithTheClock) {
  TwinVqInfo info;
  ASSERT_TRUE(Parse(TwinVqFile(Comm(0, 8, 8), 3200), info));  // 31.25 frames a second
  EXPECT_EQ(FrameAt(info, 0), 0u);
  EXPECT_EQ(FrameAt(info, 1000), 31u);
  EXPECT_EQ(FrameAt(info, 2000), 62u);
  EXPECT_EQ(FrameAt(info, 3199), 99u);
  EXPECT_EQ(FrameAt(info, 60000), 100u);                    // held at the end
  EXPECT_EQ(FrameAt(info, ~uint64_t{0}), 100u);
  EXPECT_EQ(FrameAt(TwinVqInfo{}, 1000), 0u);
}

}  // namespace
}  // namespace vqf
