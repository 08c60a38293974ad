// The real program plays songs through mpeg.dll: in order, counted, and on to the next.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "tests/app/e2e_support.h"

namespace {

class PlaybackE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run_.Prepare("playback"));
    folder_ = run_.folder;
    ASSERT_TRUE(run_.CopyFromDist("mpeg.dll"));
    for (const char* name : {"song1.mp3", "song2.mp3"}) {
      std::string to = folder_ + name;
      ASSERT_TRUE(CopyFileA((std::string(SD_BIN_DIR) + "tests\\app\\two_seconds.mp3").c_str(), to.c_str(), FALSE));
    }
    CopyFileA((folder_ + "song1.mp3").c_str(), (folder_ + "odd.xyz").c_str(), FALSE);
  }
  int Total() { return run_.Plays(); }
  void Close() { ASSERT_TRUE(run_.Close()); }
  e2e::PlayerFolder run_;
  std::string folder_;
  e2e::Process& player_ = run_.player;
};

TEST_F(PlaybackE2E, PlaysBothInOrderSkipsTheUnknownAndStops) {
  std::string s1 = folder_ + "song1.mp3", odd = folder_ + "odd.xyz", s2 = folder_ + "song2.mp3";
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {s1, odd, s2}));
  ASSERT_TRUE(e2e::PumpUntil(30000, [&] { return Total() == 2; })) << "plays so far: " << Total();
  // The second song ends too, and nothing follows it.
  e2e::PumpUntil(5000, [] { return false; });
  EXPECT_EQ(Total(), 2);
  Close();
  std::string counts = folder_ + "count.dat";
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(s1)), 1);
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(s2)), 1);
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(odd)), -1);
  char last[MAX_PATH] = {};
  GetPrivateProfileStringA("播放", "当前文件", "", last, sizeof last, (folder_ + "Options.ini").c_str());
  EXPECT_EQ(std::string(last), e2e::FileKey(s2));  // the second song came last
}

TEST_F(PlaybackE2E, WithRepeatItGoesOn) {
  WritePrivateProfileStringA("播放", "循环", "1", (folder_ + "Options.ini").c_str());
  std::string s1 = folder_ + "song1.mp3", s2 = folder_ + "song2.mp3";
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {s1, s2}));
  EXPECT_TRUE(e2e::PumpUntil(40000, [&] { return Total() >= 3; })) << "plays so far: " << Total();
  Close();
}

}  // namespace
