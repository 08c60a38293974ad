// The real program plays VQF files through the plug-in twindeck in "Ruvudo\" and the vqf.dll
// stand-in beside the program, which runs a frame counter with the clock: a song lasts what
// its header says, so the next song starts only once that time has passed.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/text.h"
#include "tests/app/e2e_support.h"
#include "tests/vqfdll/twinvq_file.h"

namespace {

// A mono 8 kbit/s song at 44.1 kHz: one byte of stream is a millisecond.
std::string VqfSong(unsigned milliseconds) {
  return vqftest::TwinVqFile(vqftest::Comm(0, 8, 44), milliseconds);
}

struct VqfCase {
  const char* name;
  bool dataFile;        // twinvq2.cdb beside the program
  unsigned firstMs;     // the first song's length by its header
  DWORD minGapMs;       // the second play is counted no sooner than this after the first
  DWORD maxGapMs;       // ... and no later than this
};

void PrintTo(const VqfCase& c, std::ostream* os) { *os << c.name; }

class VqfE2E : public ::testing::TestWithParam<VqfCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run_.Prepare("vqf"));
    folder_ = run_.folder;
    ASSERT_TRUE(run_.CopyFromDist("vqf.dll"));
    if (GetParam().dataFile) {
      ASSERT_TRUE(run_.CopyFromDist("twinvq2.cdb"));
    }
    ASSERT_TRUE(run_.CopyFromDist("Ruvudo\\twindeck.dll"));
  }
  int Total() { return run_.Plays(); }
  void Close() { ASSERT_TRUE(run_.Close()); }
  e2e::PlayerFolder run_;
  std::string folder_;
  e2e::Process& player_ = run_.player;
};

// With the decoder's data file the first song runs its length before the second one starts;
// without it the plug-in fails the start at once and the player moves on without waiting.
TEST_P(VqfE2E, TheNextSongFollowsTheEndOfTheFirst) {
  const VqfCase& c = GetParam();
  const std::string first = folder_ + "first.vqf", second = folder_ + "second.vqf";
  ASSERT_TRUE(e2e::WriteBytes(first, VqfSong(c.firstMs)));
  ASSERT_TRUE(e2e::WriteBytes(second, VqfSong(1000)));
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {first, second}));
  ASSERT_TRUE(e2e::PumpUntil(20000, [&] { return Total() >= 1; })) << "the first song was not played";
  const DWORD firstCounted = GetTickCount();
  ASSERT_TRUE(e2e::PumpUntil(c.maxGapMs + 5000, [&] { return Total() >= 2; })) << "plays so far: " << Total();
  const DWORD gap = GetTickCount() - firstCounted;
  EXPECT_GE(gap, c.minGapMs);
  EXPECT_LE(gap, c.maxGapMs);
  // The second song ends as well and nothing follows it.
  e2e::PumpUntil(4000, [] { return false; });
  EXPECT_EQ(Total(), 2);
  Close();
  const std::string counts = folder_ + "count.dat";
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(first)), 1);
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(second)), 1);
  char last[MAX_PATH] = {};
  GetPrivateProfileStringA("播放", "当前文件", "", last, sizeof last, (folder_ + "Options.ini").c_str());
  EXPECT_EQ(std::string(last), e2e::FileKey(second));
}

// The plug-in looks at the position once a second, so the end is seen up to a second and a
// bit after the header's length; the upper bounds leave room for a slow machine.
INSTANTIATE_TEST_SUITE_P(Songs, VqfE2E,
                         ::testing::Values(VqfCase{"PlaysItsLength", true, 4000, 4000, 9000},
                                           VqfCase{"WithoutTheDataFileFailsAtOnce", false, 4000, 0, 2500}),
                         [](const ::testing::TestParamInfo<VqfCase>& i) { return std::string(i.param.name); });

}  // namespace
