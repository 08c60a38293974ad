// The transport logic on a library of its own: every mode of "#Next" and "#Prev", the
// end-of-track rule, single-song and shuffle modes, failed songs, the time texts.
#include "shell/play_control.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "library/memfs.h"
#include "library/play.h"

namespace sd {
namespace {

// Cycles through the candidates in order, so shuffle tests are repeatable.
class StepRandom : public IRandomSource {
 public:
  void Reseed() override {}
  uint32_t Below(uint32_t n) override { return next_++ % n; }
  uint32_t next_ = 0;
};

// Runs issued verbs on the control itself, as the dispatcher would, and records them.
class Host : public IPlayHost {
 public:
  PlayControl* control = nullptr;
  std::vector<std::string> verbs;
  std::vector<std::string> started;
  std::set<std::string> unplayable;  // extensions no engine takes
  std::vector<std::string> times;
  int depth = 0;

  void IssueVerb(const std::string& verb, const std::string& arg) override {
    verbs.push_back(arg.empty() ? verb : verb + " " + arg);
    if (++depth > 50) {
      ADD_FAILURE() << "verbs loop";
      return;
    }
    std::string v = NormalizeText(verb), a = NormalizeText(arg);
    if (v == "#stop") control->Stop();
    if (v == "#play") control->Play(a);
    if (v == "#next") control->Next();
    if (v == "#prev") control->Prev();
    --depth;
  }
  std::string FileKey(const std::string& file) override { return LowerAscii(file); }
  bool StartEngine(const std::string& ext, const std::string& file) override {
    if (unplayable.count(ext)) return false;
    started.push_back(file);
    return true;
  }
  void StopEngine() override {}
  void ShowTimeText(const std::string& t) override { times.push_back(t); }
};

class PlayControlTest : public ::testing::Test {
 protected:
  void Make(int songs, const std::string& ext = ".mp3") {
    seams_.fs = &fs_;
    seams_.random = &random_;
    play_ = std::make_unique<TPlay>(seams_);
    for (int i = 0; i < songs; ++i) {
      std::string path = "c:\\m\\s" + std::to_string(i) + ext;
      fs_.PutFile(path, std::string(200, 'a'));
      play_->BeginAdd();
      play_->AddFile(path, 0);
      play_->EndAdd(0);
    }
    control_ = std::make_unique<PlayControl>(play_.get(), &host_);
    host_.control = control_.get();
  }
  int Cur() const { return play_->CurrentIndex; }
  void ClearLog() {
    host_.verbs.clear();
    host_.started.clear();
  }
  // The engine reports the end of the song; the rule runs afterwards.
  void SongEnds() {
    control_->SetPlayState(0);
    control_->EndOfTrack();
  }

  MemFileSystem fs_;
  StepRandom random_;
  TPlaySeams seams_;
  std::unique_ptr<TPlay> play_;
  Host host_;
  std::unique_ptr<PlayControl> control_;
};

TEST(PlayTimeText, Formats) {
  struct Case {
    int position, total;
    bool remaining;
    const char* text;
  } cases[] = {
      {4000, 5000, false, " 1:06:40"}, {10, 4000, true, "-1:06:30"}, {4001, 4000, true, " 1:06:41"},
      {0, 0, false, " 0:00:00"},       {-5, 0, false, " 0:00:00"},  {999999, 0, false, " 255:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPlayTime(c.position, c.total, c.remaining), c.text);
  EXPECT_EQ(PlayFraction(0, 0, 0), 0.0);
  EXPECT_EQ(PlayFraction(50, 0, 100), 0.5);
  EXPECT_EQ(PlayFraction(200, 5, 100), 1.0);
}

TEST_F(PlayControlTest, SequentialNextAndPrevAtTheEnds) {
  struct Case {
    bool playing, repeat;
    int start;
    const char* verb;
    int after;        // CurrentIndex afterwards
    bool plays;       // a song was started
  } cases[] = {
      {true, false, 2, "next", 2, false},  // last entry while playing: stops
      {false, false, 2, "next", 0, false}, // while stopped: entry 0
      {true, true, 2, "next", 0, true},    // repeat wraps
      {true, false, 0, "prev", 0, false},  // first entry while playing: nothing
      {false, false, 0, "prev", 2, false}, // while stopped: the last
      {true, true, 0, "prev", 2, true},
      {true, false, 0, "next", 1, true},
      {true, false, 2, "prev", 1, true},
  };
  for (const auto& c : cases) {
    Make(3);
    control_->SetRepeat(c.repeat);
    play_->SetCurrent(c.start);
    if (c.playing) {
      control_->Play("");
      ASSERT_EQ(Cur(), c.start);
    }
    ClearLog();
    if (std::string(c.verb) == "next")
      control_->Next();
    else
      control_->Prev();
    EXPECT_EQ(Cur(), c.after) << c.verb << " from " << c.start << " playing " << c.playing;
    EXPECT_EQ(!host_.started.empty(), c.plays) << c.verb << " from " << c.start;
    if (c.playing && !c.plays && std::string(c.verb) == "next") {
      EXPECT_FALSE(control_->PlayMode());
    }
  }
}

TEST_F(PlayControlTest, OnlyEntry) {
  Make(1);
  control_->Play("");
  EXPECT_EQ(Cur(), 0);
  ClearLog();
  control_->Next();  // repeat off: stops
  EXPECT_FALSE(control_->PlayMode());
  control_->SetRepeat(true);
  control_->Play("");
  ClearLog();
  control_->Next();  // repeat on: the same song again
  ASSERT_EQ(host_.started.size(), 1u);
  EXPECT_EQ(host_.started[0], "c:\\m\\s0.mp3");
  control_->Stop();
  control_->Stop();  // stopped: back to entry 0
  EXPECT_EQ(Cur(), 0);
  control_->SetRepeat(false);
  ClearLog();
  control_->Prev();
  EXPECT_EQ(Cur(), 0);
  EXPECT_TRUE(host_.started.empty());
}

TEST_F(PlayControlTest, SingleSongWithAndWithoutRepeat) {
  Make(3);
  control_->SetSingle(true);
  control_->Play("");
  int first = Cur();
  ClearLog();
  SongEnds();
  EXPECT_FALSE(control_->PlayMode());  // without repeat playback stops
  control_->SetRepeat(true);
  control_->Play("");
  ClearLog();
  SongEnds();
  ASSERT_EQ(host_.started.size(), 1u);  // the same song again
  EXPECT_EQ(Cur(), first);
  EXPECT_TRUE(control_->PlayMode());
}

TEST_F(PlayControlTest, SequentialEndsAfterTheLastSong) {
  Make(3);
  play_->SetCurrent(0);
  control_->Play("");
  SongEnds();
  SongEnds();
  EXPECT_EQ(Cur(), 2);
  SongEnds();  // all played, repeat off: stop
  EXPECT_FALSE(control_->PlayMode());
  EXPECT_EQ(host_.started.size(), 3u);
}

TEST_F(PlayControlTest, ShuffleWithoutRepeatPlaysEachOnceThenStops) {
  Make(4);
  control_->SetShuffle(true);
  control_->Play("");
  std::set<int> seen{Cur()};
  for (int i = 0; i < 3; ++i) {
    SongEnds();
    seen.insert(Cur());
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_TRUE(play_->AllPlayed());
  size_t starts = host_.started.size();
  SongEnds();  // every entry played: the rule stops
  EXPECT_FALSE(control_->PlayMode());
  EXPECT_EQ(host_.started.size(), starts);
}

TEST_F(PlayControlTest, ShuffleWithRepeatStartsAnotherRound) {
  Make(4);
  control_->SetShuffle(true);
  control_->SetRepeat(true);
  control_->Play("");
  for (int i = 0; i < 3; ++i) SongEnds();
  int last = Cur();
  SongEnds();  // all played: marks cleared, a random entry other than the current one
  EXPECT_TRUE(control_->PlayMode());
  EXPECT_NE(Cur(), last);
  EXPECT_EQ(host_.started.size(), 5u);
}

TEST_F(PlayControlTest, FailedSongIsSkippedAndAnAllFailedCategoryStops) {
  Make(3, ".xyz");
  host_.unplayable.insert(".xyz");
  control_->Play("");
  // Every song was tried once, marked failed, and then playback stopped.
  EXPECT_FALSE(control_->PlayMode());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(play_->Entry(0, i)->Failed) << i;
  EXPECT_TRUE(host_.started.empty());
}

TEST_F(PlayControlTest, EngineReportedFailureGoesToTheNextSong) {
  Make(3);
  play_->SetCurrent(0);
  control_->Play("");
  control_->SetPlayState(4);
  control_->EndOfTrack();
  EXPECT_TRUE(play_->Entry(0, 0)->Failed);
  EXPECT_EQ(Cur(), 1);
}

TEST_F(PlayControlTest, PlayWithAFileOutsideTheLibrary) {
  Make(2);
  control_->Play("c:\\other\\x.mp3");
  EXPECT_EQ(Cur(), -1);
  ASSERT_EQ(host_.started.size(), 1u);
  EXPECT_EQ(host_.started[0], "c:\\other\\x.mp3");
  control_->Play("c:\\m\\s1.mp3");  // a library song: it becomes current, the other stops
  EXPECT_EQ(Cur(), 1);
  EXPECT_EQ(host_.verbs.front(), "#Stop");
}

TEST_F(PlayControlTest, StopWhileStoppedOnAnEmptyCategory) {
  Make(0);
  control_->Stop();
  EXPECT_EQ(Cur(), -1);
  control_->Play("");  // empty: the open dialog is asked for
  EXPECT_EQ(host_.verbs, std::vector<std::string>{"#OpenFile"});
}

}  // namespace
}  // namespace sd
