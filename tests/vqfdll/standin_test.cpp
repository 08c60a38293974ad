// The vqf.dll stand-in as it lies in the program folder, loaded from a folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/vqfdll/twinvq_file.h"
#include "vqfdll/vqf.h"

namespace {

template <class Fn>
Fn Op(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // a folder for each case: cases may run side by side
    folder_ = std::string(SD_BIN_DIR) + "standin_" +
              testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    DeleteFileA((folder_ + "twinvq2.cdb").c_str());
    ASSERT_TRUE(CopyFileA(SD_DIST_DIR "vqf.dll", (folder_ + "vqf.dll").c_str(), FALSE));
    song_ = folder_ + "song.vqf";
    // 8 kHz at 8 kbit/s: 3200 bytes are 100 frames of 256 samples, 3.2 s, 31.25 a second.
    std::ofstream(song_, std::ios::binary | std::ios::trunc)
        << vqftest::TwinVqFile(vqftest::Comm(0, 8, 8), 3200);
    lib_ = LoadLibraryA((folder_ + "vqf.dll").c_str());
    ASSERT_NE(lib_, nullptr);
    start_ = Op<vqf::StartFn>(lib_, "DllDecoderStart");
    stop_ = Op<vqf::StopFn>(lib_, "DllDecoderStop");
    pause_ = Op<vqf::PauseFn>(lib_, "DllDecoderPause");
    restart_ = Op<vqf::RestartFn>(lib_, "DllDecoderRestart");
    info_ = Op<vqf::GetInfoFn>(lib_, "DllDecoderGetInfo");
    frame_ = Op<vqf::GetIframeFn>(lib_, "DllDecoderGetIframe");
    ASSERT_TRUE(start_ && stop_ && pause_ && restart_ && info_ && frame_);
  }
  void TearDown() override {
    if (lib_) FreeLibrary(lib_);
    DeleteFileA((folder_ + "vqf.dll").c_str());
    DeleteFileA((folder_ + "twinvq2.cdb").c_str());
    DeleteFileA(song_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  // Seconds and frames from the information block.
  std::pair<uint32_t, uint32_t> Info(const std::string& name) {
    uint8_t block[vqf::kInfoSize] = {};
    const char* p = name.c_str();
    std::memcpy(block + vqf::kInfoNameOffset, &p, sizeof p);
    info_(block);
    uint32_t seconds, frames;
    std::memcpy(&seconds, block + vqf::kInfoSecondsOffset, 4);
    std::memcpy(&frames, block + vqf::kInfoFramesOffset, 4);
    return {seconds, frames};
  }

  int32_t Start(const std::string& name) {
    vqf::StartBlock block{0, name.c_str(), 1, 0};
    return start_(&block);
  }

  std::string folder_, song_;
  HMODULE lib_ = nullptr;
  vqf::StartFn start_ = nullptr;
  vqf::StopFn stop_ = nullptr;
  vqf::PauseFn pause_ = nullptr;
  vqf::RestartFn restart_ = nullptr;
  vqf::GetInfoFn info_ = nullptr;
  vqf::GetIframeFn frame_ = nullptr;
};

TEST_F(StandInTest, WantsItsDataFileBesideIt) {
  EXPECT_NE(Start(song_), 0);
  EXPECT_EQ(Info(song_), (std::pair<uint32_t, uint32_t>{0, 0}));
  EXPECT_EQ(frame_(), 0u);
  std::ofstream(folder_ + "twinvq2.cdb") << "data\n";
  EXPECT_EQ(Info(song_), (std::pair<uint32_t, uint32_t>{3, 100}));
  EXPECT_EQ(Start(song_), 0);
  EXPECT_NE(Start(folder_ + "missing.vqf"), 0);
  EXPECT_EQ(Info(folder_ + "missing.vqf"), (std::pair<uint32_t, uint32_t>{0, 0}));
}

TEST_F(StandInTest, FramesRunWithTheClockAndHoldWhilePausedOrStopped) {
  std::ofstream(folder_ + "twinvq2.cdb") << "data\n";
  ASSERT_EQ(Start(song_), 0);
  Sleep(500);
  uint32_t playing = frame_();
  EXPECT_GE(playing, 10u);  // 15 frames after half a second
  EXPECT_LT(playing, 100u);
  EXPECT_EQ(pause_(), 0);
  uint32_t held = frame_();
  Sleep(400);
  EXPECT_EQ(frame_(), held);
  EXPECT_EQ(restart_(), 0);
  Sleep(400);
  EXPECT_GT(frame_(), held + 5);
  EXPECT_EQ(stop_(0), 0);
  held = frame_();
  Sleep(300);
  EXPECT_EQ(frame_(), held);
  EXPECT_EQ(Start(song_), 0);  // a new start begins at the first frame
  EXPECT_LE(frame_(), 2u);
}

}  // namespace
