// The CD engine's drive watch and track playback, with a fake device and fake drives.
#include "engines/cd_audio.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "engines/plus_api.h"
#include "library/memfs.h"
#include "library/play.h"

namespace sd {
namespace {

class FakeDrives : public IDriveProbe {
 public:
  std::set<std::string> cdDrives;
  std::map<std::string, int> discs;  // root -> tracks
  bool IsCdDrive(const std::string& root) override { return cdDrives.count(root) > 0; }
  bool DiscPresent(const std::string& root) override { return discs.count(root) > 0; }
  bool RootExists(const std::string& root) override { return discs.count(root) > 0; }
  std::vector<std::string> TrackFiles(const std::string& root) override {
    std::vector<std::string> t;
    // Listed in the system's order, which need not be sorted.
    for (int i = discs[root]; i >= 1; --i) {
      char name[32];
      snprintf(name, sizeof name, "Track%02d.cda", i);
      t.push_back(root + name);
    }
    return t;
  }
  std::string ShortName(const std::string& path) override { return path; }
};

struct DeviceLog {
  std::vector<std::string> calls;
  int mode = ICdDevice::kStopped;
  int64_t position = 0;
  bool failOpen = false, failPlay = false;
};

class FakeDevice : public ICdDevice {
 public:
  explicit FakeDevice(DeviceLog* log) : log_(log) {}
  bool Open(const std::string& f) override {
    log_->calls.push_back("open " + f);
    return !log_->failOpen;
  }
  void Close() override { log_->calls.push_back("close"); }
  // Track n starts at n minutes and lasts 200 s.
  int64_t TrackStart(int track) override { return track * 60000; }
  int64_t TrackLength(int) override { return 200000; }
  bool Play(int64_t from, int64_t to) override {
    log_->calls.push_back("play " + std::to_string(from) + " " + std::to_string(to));
    if (log_->failPlay) return false;
    log_->mode = kPlaying;
    return true;
  }
  void Stop() override {
    log_->calls.push_back("stop");
    log_->mode = kStopped;
  }
  void Pause() override {
    log_->calls.push_back("pause");
    log_->mode = kPaused;
  }
  void Resume() override {
    log_->calls.push_back("resume");
    log_->mode = kPlaying;
  }
  int CurrentMode() override { return log_->mode; }
  int64_t Position() override { return log_->position; }

 private:
  DeviceLog* log_;
};

class CdAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seams_.fs = &fs_;
    play_ = std::make_unique<TPlay>(seams_);
  }
  void Make() {
    cd_ = std::make_unique<CdAudio>(
        play_.get(), &drives_, [this] { return std::make_unique<FakeDevice>(&log_); },
        [this](const char* k, int32_t v) { reports_.push_back(std::string(k) + " " + std::to_string(v)); },
        [this](bool on) { timer_ = on; });
  }
  std::vector<std::string> Keys() {
    std::vector<std::string> k;
    for (const TInfoRec& e : play_->CategoryAt(1).Items) k.push_back(e.FileKey);
    return k;
  }
  void PlayTrack(const std::string& file) {
    cd_->Message(PM_PLAY, reinterpret_cast<intptr_t>(file.c_str()));
  }

  MemFileSystem fs_;
  TPlaySeams seams_;
  std::unique_ptr<TPlay> play_;
  FakeDrives drives_;
  DeviceLog log_;
  std::vector<std::string> reports_;
  bool timer_ = false;
  std::unique_ptr<CdAudio> cd_;
};

TEST_F(CdAudioTest, DiscInAndOutAddsAndRemovesItsTracks) {
  drives_.cdDrives = {"d:\\"};
  Make();
  ASSERT_EQ(cd_->Drives().size(), 1u);
  cd_->WatchTick();
  EXPECT_TRUE(Keys().empty());
  drives_.discs["d:\\"] = 12;
  cd_->WatchTick();
  std::vector<std::string> keys = Keys();
  ASSERT_EQ(keys.size(), 12u);
  EXPECT_EQ(keys.front(), "d:\\track12.cda");  // the system's listing order, lower case
  EXPECT_EQ(keys.back(), "d:\\track01.cda");
  cd_->WatchTick();
  EXPECT_EQ(Keys().size(), 12u);  // nothing twice
  drives_.discs.erase("d:\\");
  cd_->WatchTick();
  EXPECT_TRUE(Keys().empty());
}

TEST_F(CdAudioTest, TwoDrivesInLetterOrder) {
  drives_.cdDrives = {"f:\\", "e:\\"};
  drives_.discs["e:\\"] = 2;
  drives_.discs["f:\\"] = 3;
  Make();
  ASSERT_EQ(cd_->Drives().size(), 2u);
  EXPECT_EQ(cd_->Drives()[0].Root, "e:\\");
  cd_->WatchTick();
  std::vector<std::string> keys = Keys();
  ASSERT_EQ(keys.size(), 5u);
  EXPECT_EQ(keys[0].substr(0, 3), "e:\\");
  EXPECT_EQ(keys[2].substr(0, 3), "f:\\");
  drives_.discs.erase("e:\\");
  cd_->WatchTick();
  EXPECT_EQ(Keys().size(), 3u);  // only the first drive's tracks went
}

TEST_F(CdAudioTest, PlaySeekPauseAndTheEnd) {
  drives_.cdDrives = {"d:\\"};
  drives_.discs["d:\\"] = 5;
  Make();
  cd_->WatchTick();
  // The third entry of "CD Audio" is track 3 of the disc.
  std::string third = play_->CategoryAt(1).Items[2].FileName;
  PlayTrack(third);
  EXPECT_EQ(cd_->Track(), 3);
  EXPECT_TRUE(timer_);
  ASSERT_GE(log_.calls.size(), 2u);
  EXPECT_EQ(log_.calls[1], "play 180000 380000");
  EXPECT_EQ(reports_, (std::vector<std::string>{"%TotalTime 200", "%Status 1"}));
  // Seek 30 s into the track: from there to the end of the same track.
  cd_->Message(PM_SEEK, 30);
  EXPECT_EQ(log_.calls.back(), "play 210000 380000");
  log_.position = 215000;
  reports_.clear();
  cd_->PositionTick();
  EXPECT_EQ(reports_, std::vector<std::string>{"%Time 35"});
  cd_->Message(PM_PAUSE, 0);
  EXPECT_EQ(log_.calls.back(), "pause");
  cd_->Message(PM_PAUSE, 0);  // while paused: resume
  EXPECT_EQ(log_.calls.back(), "resume");
  // The track reached its end: the device stopped, the report is 0, the timer stops.
  log_.mode = ICdDevice::kStopped;
  reports_.clear();
  cd_->Notified();
  EXPECT_EQ(reports_, std::vector<std::string>{"%Status 0"});
  EXPECT_FALSE(timer_);
  cd_->Message(PM_STOP, 0);
  EXPECT_FALSE(cd_->Playing());
  EXPECT_EQ(log_.calls.back(), "close");
}

TEST_F(CdAudioTest, AFileOutsideTheCategoryPlaysWithoutPositions) {
  Make();
  PlayTrack("d:\\track07.cda");
  EXPECT_EQ(cd_->Track(), 0);
  EXPECT_EQ(log_.calls.back(), "play 0 -1");
  EXPECT_EQ(reports_, std::vector<std::string>{"%Status 1"});
  EXPECT_EQ(cd_->Message(77, 0), kPlusNotHandled);
}

TEST_F(CdAudioTest, ATrackTheDeviceRefusesFailsAtOnce) {
  Make();
  struct Case {
    bool failOpen, failPlay;
  } cases[] = {{true, false}, {false, true}};
  for (const auto& c : cases) {
    log_.failOpen = c.failOpen;
    log_.failPlay = c.failPlay;
    reports_.clear();
    timer_ = false;
    PlayTrack("d:\\track01.cda");
    EXPECT_EQ(reports_, std::vector<std::string>{"%Status 4"});
    EXPECT_FALSE(timer_);
    EXPECT_FALSE(cd_->Playing());
  }
}

}  // namespace
}  // namespace sd
