// twindeck driven as the host drives it, against test doubles of vqf.dll placed in the
// program folder (the folder of this test program) and, at the end, against our stand-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engines/plus_api.h"
#include "tests/plugins/vqf/vqf_double.h"
#include "tests/vqfdll/twinvq_file.h"

namespace {

using vqftest::DoubleState;
using Reports = std::vector<std::pair<std::string, int32_t>>;

const char kGuid[] = "{44569FE0-AEE1-11D5-AAB3-FDD155026253}";
const char kSong[] = "C:\\音乐\\表演.vqf";  // GBK, with a trail byte that is a backslash

struct Seen {
  std::string sender, key;
  bool extra;
  int32_t value;
};
std::vector<Seen> g_seen;
// Run for each report while the plug-in waits for the callback to return.
std::function<void(const Seen&)> g_onReport;

void __stdcall Record(const char* sender, const char* key, const char* extra, int32_t value) {
  g_seen.push_back({sender ? sender : "(none)", key ? key : "(none)", extra != nullptr, value});
  if (g_onReport) g_onReport(g_seen.back());
}

std::string ExeFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    DWORD now = GetTickCount();
    if (static_cast<int32_t>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

// Pumps until a report with this key arrives (true) or the time is up.
bool PumpUntilKey(const char* key, DWORD ms) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    for (const Seen& s : g_seen)
      if (s.key == key) return true;
    DWORD now = GetTickCount();
    if (static_cast<int32_t>(end - now) <= 0) return false;
    Pump(50);
  }
}

class TwindeckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ExeFolder();
    RemoveFiles();
    g_seen.clear();
  }

  void TearDown() override {
    g_onReport = nullptr;
    Unload();
    ReleaseDouble();
    RemoveFiles();
  }

  // Drops every reference on the double, also one a player left behind (a decoder that
  // failed to stop stays loaded), so the next case can put another one in its place.
  void ReleaseDouble() {
    if (!vqf_) return;
    const std::string path = folder_ + "vqf.dll";
    for (int k = 0; k < 8 && GetModuleHandleA(path.c_str()); ++k) FreeLibrary(vqf_);
    vqf_ = nullptr;
    state_ = nullptr;
  }

  void RemoveFiles() {
    DeleteFileA((folder_ + "vqf.dll").c_str());
    DeleteFileA((folder_ + "twinvq2.cdb").c_str());
  }

  void WriteDataFile() { std::ofstream(folder_ + "twinvq2.cdb") << "codebook of the tests\n"; }

  // Places a cut of the double in the program folder as vqf.dll, with the data file.
  DoubleState* Install(const char* cut, bool dataFile = true) {
    EXPECT_TRUE(CopyFileA((folder_ + cut).c_str(), (folder_ + "vqf.dll").c_str(), FALSE)) << cut;
    if (dataFile) WriteDataFile();
    vqf_ = LoadLibraryA((folder_ + "vqf.dll").c_str());
    EXPECT_NE(vqf_, nullptr);
    if (!vqf_) return nullptr;
    auto stateOf = reinterpret_cast<DoubleState*(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(vqf_, "DoubleStateOf")));
    state_ = stateOf ? stateOf() : nullptr;
    EXPECT_NE(state_, nullptr);
    if (state_) {
      state_->seconds = 256;
      state_->frames = 1024;
    }
    return state_;
  }

  // Loads the plug-in from the program folder's Ruvudo\ and introduces it as the host does.
  void Load() {
    plug_ = LoadLibraryA(SD_DIST_DIR "Ruvudo\\twindeck.dll");
    ASSERT_NE(plug_, nullptr);
    msg_ = reinterpret_cast<sd::PlusMessageFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(plug_, "PlusMessage")));
    ASSERT_NE(msg_, nullptr);
    std::string guid = kGuid;
    EXPECT_EQ(Send(sd::PM_IDENTIFY, reinterpret_cast<sd::PlusValue>(guid.c_str())), -1);
    guid.assign(guid.size(), 'x');  // the host's copy is gone after the call
    EXPECT_EQ(Send(sd::PM_CALLBACK, reinterpret_cast<sd::PlusValue>(&Record)), -1);
    EXPECT_EQ(Send(sd::PM_STATUSREC, reinterpret_cast<sd::PlusValue>(statusRec_)), -1);
  }

  // The host's last release: 12, 10, then the library goes.
  void Unload() {
    if (!plug_) return;
    Send(sd::PM_CLOSE, 0);
    Send(sd::PM_RELEASE, 0);
    FreeLibrary(plug_);
    plug_ = nullptr;
    msg_ = nullptr;
  }

  int32_t Send(uint32_t msg, sd::PlusValue value) { return msg_(msg, value); }

  // PM_PLAY with a copy of the name that dies with the call, as the host's does.
  int32_t Play(const char* name = kSong) {
    std::string copy = name;
    int32_t r = Send(sd::PM_PLAY, reinterpret_cast<sd::PlusValue>(copy.c_str()));
    copy.assign(copy.size(), '?');
    return r;
  }

  // The reports so far, checked for sender and extra text, then forgotten.
  Reports Take() {
    Reports out;
    for (const Seen& s : g_seen) {
      EXPECT_EQ(s.sender, kGuid);
      EXPECT_FALSE(s.extra);
      out.emplace_back(s.key, s.value);
    }
    g_seen.clear();
    return out;
  }

  // The next "%Time" report (pumping up to 2.5 s), or -99.
  int32_t NextTime() {
    g_seen.clear();
    if (!PumpUntilKey(sd::kKeyTime, 2500)) return -99;
    Reports r = Take();
    return r.front().first == sd::kKeyTime ? r.front().second : -98;
  }

  int Calls(vqftest::Op op) const { return state_->calls[vqftest::CallIndex(op)]; }

  std::string folder_;
  HMODULE vqf_ = nullptr;
  DoubleState* state_ = nullptr;
  HMODULE plug_ = nullptr;
  sd::PlusMessageFn msg_ = nullptr;
  unsigned char statusRec_[123] = {};
};

const Reports kStarted = {{"%Status", 1}, {"%TotalTime", 256}};

TEST_F(TwindeckTest, AnswersTheMessagesItKnows) {
  Load();
  const struct {
    uint32_t msg;
    int32_t result;
  } cases[] = {
      {0, -1},  {2, -1},  {5, -1},  {6, -1},  {8, -1},  {9, -1},  {10, -1}, {11, -1},
      {12, -1}, {13, -1}, {35, -1}, {36, -1}, {3, 0},   {7, 0},   {14, 0},  {25, 0},
      {26, 0},  {27, 0},  {29, 0},  {31, 0},  {37, 0},  {1000, 0}, {0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Send(c.msg, 0), c.result) << c.msg;
  EXPECT_EQ(Send(sd::PM_IDENTIFY, 0), -1);  // no text: an empty sender
  EXPECT_EQ(Take(), Reports{});              // pause and stop without a player do nothing
}

TEST_F(TwindeckTest, ReportsTheTimeRoundedHalfToEvenAndTheEndUntilStopped) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  EXPECT_EQ(Play(), -1);
  EXPECT_EQ(Take(), kStarted);
  // 256 s over 1024 frames: a quarter second a frame.
  const struct {
    uint32_t frame;
    int32_t seconds;
  } cases[] = {{2, 0}, {6, 2}, {10, 2}, {3, 1}, {1023, 256}};
  for (const auto& c : cases) {
    s->frame = c.frame;
    EXPECT_EQ(NextTime(), c.seconds) << "frame " << c.frame;
  }
  EXPECT_EQ(Calls(vqftest::kOpStop), 0);

  // At the last frame the decoder is stopped; the end comes again at every tick.
  s->frame = 1024;
  for (int tick = 1; tick <= 2; ++tick) {
    g_seen.clear();
    ASSERT_TRUE(PumpUntilKey(sd::kKeyStatus, 2500));
    EXPECT_EQ(Take(), (Reports{{"%Time", 256}, {"%Status", 0}})) << tick;
    EXPECT_EQ(Calls(vqftest::kOpStop), tick);
    EXPECT_EQ(s->lastStopArgument, 0);
  }
  EXPECT_EQ(Send(sd::PM_STOP, 0), -1);
  EXPECT_EQ(Take(), (Reports{{"%Status", 0}}));
  Pump(1500);
  EXPECT_EQ(Take(), Reports{});  // the timer went with the player
}

TEST_F(TwindeckTest, PauseTogglesAndEveryStartClearsIt) {
  ASSERT_TRUE(Install("vqfdouble_full.dll"));
  Load();
  Play();
  Take();
  EXPECT_EQ(Send(sd::PM_PAUSE, 0), -1);
  EXPECT_EQ(Take(), (Reports{{"%Status", 2}}));
  EXPECT_EQ(Send(sd::PM_PAUSE, 0), -1);
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}}));
  EXPECT_EQ(Calls(vqftest::kOpPause), 1);
  EXPECT_EQ(Calls(vqftest::kOpRestart), 1);

  Send(sd::PM_PAUSE, 0);
  Send(sd::PM_STOP, 0);
  Play();
  EXPECT_EQ(Take(), (Reports{{"%Status", 2}, {"%Status", 0}, {"%Status", 1}, {"%TotalTime", 256}}));
  Send(sd::PM_PAUSE, 0);  // a pause again, not a resume
  EXPECT_EQ(Take(), (Reports{{"%Status", 2}}));
  EXPECT_EQ(Calls(vqftest::kOpPause), 3);
  EXPECT_EQ(Calls(vqftest::kOpRestart), 1);
}

TEST_F(TwindeckTest, SeekIsAcceptedAndChangesNothing) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  Play();
  Take();
  s->frame = 8;
  EXPECT_EQ(Send(sd::PM_SEEK, 30), -1);
  EXPECT_EQ(Take(), Reports{});
  for (int op = 0; op < 6; ++op)
    EXPECT_EQ(s->calls[op], op == 0 || op == 4 ? 1 : 0) << op;  // only the start's calls
  EXPECT_EQ(NextTime(), 2);
}

TEST_F(TwindeckTest, MissingFilesInTheProgramFolderFailThePlay) {
  const struct {
    bool library, dataFile;
  } cases[] = {{true, false}, {false, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "library " << c.library << ", data file " << c.dataFile);
    DoubleState* s = nullptr;
    if (c.library) {
      s = Install("vqfdouble_full.dll", false);
    } else if (c.dataFile) {
      WriteDataFile();
    }
    Load();
    EXPECT_EQ(Play(), -1);
    EXPECT_EQ(Take(), (Reports{{"%Status", 4}}));
    if (s) {
      EXPECT_EQ(Calls(vqftest::kOpStart), 0);
    }
    EXPECT_EQ(Send(sd::PM_STOP, 0), -1);  // there is no player to stop
    EXPECT_EQ(Take(), Reports{});
    Unload();
    ReleaseDouble();
    RemoveFiles();
  }
}

TEST_F(TwindeckTest, NoFramesFailsTheStartAndNoTimeFollows) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  s->frames = 0;
  Load();
  Play();
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%TotalTime", 256}, {"%Status", 4}}));
  Pump(1500);
  EXPECT_EQ(Take(), Reports{});
  EXPECT_EQ(Calls(vqftest::kOpGetIframe), 0);
}

TEST_F(TwindeckTest, TheDecoderGetsBlocksWithANameThatOutlivesTheCall) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  Play(kSong);
  EXPECT_EQ(s->startBlock[0], 0u);
  EXPECT_NE(s->startBlock[1], 0u);
  EXPECT_EQ(s->startBlock[2], 1u);
  EXPECT_EQ(s->startBlock[3], 0u);
  EXPECT_STREQ(s->startName, kSong);
  EXPECT_EQ(s->infoFirst, 0u);
  EXPECT_STREQ(s->infoName, kSong);
  s->frame = 1;
  NextTime();  // the host's copy of the name has long been overwritten
  EXPECT_STREQ(s->nameAtLastFrame, kSong);
}

TEST_F(TwindeckTest, MissingOperations) {
  const struct {
    const char* cut;
    Reports play, tick, pause, stop;
  } cases[] = {
      {"vqfdouble_none.dll", {{"%Status", 4}}, {}, {}, {{"%Status", 4}}},
      // no information: the block stays cleared, so 0 s over 0 frames
      {"vqfdouble_startonly.dll",
       {{"%Status", 1}, {"%TotalTime", 0}, {"%Status", 4}}, {}, {}, {{"%Status", 4}}},
      // no frame counter: frame 0; no pause: nothing
      {"vqfdouble_noframe.dll", kStarted, {{"%Time", 0}}, {}, {{"%Status", 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cut);
    ASSERT_TRUE(Install(c.cut));
    Load();
    Play();
    EXPECT_EQ(Take(), c.play);
    if (c.tick.empty()) {
      Pump(1300);
    } else {
      PumpUntilKey(sd::kKeyTime, 2500);
    }
    EXPECT_EQ(Take(), c.tick);
    Send(sd::PM_PAUSE, 0);
    EXPECT_EQ(Take(), c.pause);
    Send(sd::PM_STOP, 0);
    EXPECT_EQ(Take(), c.stop);
    Unload();
    ReleaseDouble();
    RemoveFiles();
  }
}

TEST_F(TwindeckTest, ReleaseWithoutStopFreesThePlayerAndItsTimer) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  Play();
  Take();
  // A forced or last release sends only 12 and 10, then unloads the library.
  EXPECT_EQ(Send(sd::PM_CLOSE, 0), -1);
  EXPECT_EQ(Send(sd::PM_RELEASE, 0), -1);
  EXPECT_EQ(Calls(vqftest::kOpStop), 1);
  EXPECT_EQ(Take(), Reports{});
  FreeLibrary(plug_);
  plug_ = nullptr;
  int frameCalls = Calls(vqftest::kOpGetIframe);
  Pump(2500);  // a timer left behind would tick into unloaded code here
  EXPECT_EQ(Take(), Reports{});
  EXPECT_EQ(Calls(vqftest::kOpGetIframe), frameCalls);
}

TEST_F(TwindeckTest, UnloadWithoutAnyMessageStopsTheTimer) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  Play();
  Take();
  FreeLibrary(plug_);
  plug_ = nullptr;
  Pump(2500);
  EXPECT_EQ(Take(), Reports{});
}

TEST_F(TwindeckTest, ASecondPlayReplacesTheFirstPlayer) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  Play();
  Play();
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%TotalTime", 256}, {"%Status", 1}, {"%TotalTime", 256}}));
  EXPECT_EQ(Calls(vqftest::kOpStop), 1);  // the first song's decoder, quietly
  Pump(3300);
  int times = 0;
  for (const auto& r : Take()) times += r.first == "%Time";
  EXPECT_GE(times, 1);
  EXPECT_LE(times, 4);  // one timer, not two
}

TEST_F(TwindeckTest, TheHostMayStopOrReplaceTheSongWhileItHandlesAReport) {
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  // A stop inside the "playing" report: the start goes no further.
  g_onReport = [this](const Seen& r) {
    if (r.key == "%Status" && r.value == 1) {
      g_onReport = nullptr;
      Send(sd::PM_STOP, 0);
    }
  };
  Play();
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%Status", 0}}));
  Pump(1300);
  EXPECT_EQ(Take(), Reports{});

  // A new song inside the "playing" report: one player and one timer afterwards.
  g_onReport = [this](const Seen& r) {
    if (r.key == "%Status" && r.value == 1) {
      g_onReport = nullptr;
      Play();
    }
  };
  Play();
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%Status", 1}, {"%TotalTime", 256}}));
  Pump(3300);
  int times = 0;
  for (const auto& r : Take()) times += r.first == "%Time";
  EXPECT_GE(times, 1);
  EXPECT_LE(times, 4);
  Unload();
  Pump(1500);  // nothing left to tick into the unloaded library
  EXPECT_EQ(Take(), Reports{});
}

// Faults inside vqf.dll: each case makes one operation fault in one way.
struct FaultCase {
  const char* name;
  vqftest::Op op;
  vqftest::FaultKind kind;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class TwindeckFaultTest : public TwindeckTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(TwindeckFaultTest, IsCaughtReportedAndTheHostRunsOn) {
  const FaultCase& c = GetParam();
  DoubleState* s = Install("vqfdouble_full.dll");
  ASSERT_TRUE(s);
  Load();
  if (c.op == vqftest::kOpRestart) {
    Play();
    Send(sd::PM_PAUSE, 0);
    EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%TotalTime", 256}, {"%Status", 2}}));
  }
  s->faultIn = c.op;
  s->faultKind = c.kind;
  switch (c.op) {
    case vqftest::kOpStart:
    case vqftest::kOpGetInfo:
      Play();
      EXPECT_EQ(Take(), (Reports{{"%Status", 4}}));
      Pump(1300);
      EXPECT_EQ(Take(), Reports{});  // the timer stayed off
      break;
    case vqftest::kOpGetIframe:
      Play();
      Take();
      s->frame = 40;
      EXPECT_EQ(NextTime(), 0);
      break;
    case vqftest::kOpPause:
    case vqftest::kOpRestart: {
      if (c.op == vqftest::kOpPause) {
        Play();
        Take();
      }
      Send(sd::PM_PAUSE, 0);
      EXPECT_EQ(Take(), Reports{});
      s->faultIn = 0;
      Send(sd::PM_PAUSE, 0);  // the failed call left the state as it was
      EXPECT_EQ(Take(), (Reports{{"%Status", c.op == vqftest::kOpPause ? 2 : 1}}));
      break;
    }
    case vqftest::kOpStop:
      Play();
      Take();
      Send(sd::PM_STOP, 0);
      EXPECT_EQ(Take(), (Reports{{"%Status", 4}}));
      break;
  }
  EXPECT_GT(s->calls[vqftest::CallIndex(c.op)], 0);

  // The plug-in and the host carry on: a new song plays and reports its time.
  s->faultIn = 0;
  s->frame = 4;
  Play();
  Reports r = Take();
  ASSERT_GE(r.size(), 2u);
  EXPECT_EQ(Reports(r.end() - 2, r.end()), kStarted);
  EXPECT_EQ(NextTime(), 1);
  Send(sd::PM_STOP, 0);
  EXPECT_EQ(Take(), (Reports{{"%Status", 0}}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TwindeckFaultTest,
    testing::Values(FaultCase{"StartWrite", vqftest::kOpStart, vqftest::kWriteFault},
                    FaultCase{"StartRead", vqftest::kOpStart, vqftest::kReadFault},
                    FaultCase{"StartDivide", vqftest::kOpStart, vqftest::kDivideFault},
                    FaultCase{"GetInfoWrite", vqftest::kOpGetInfo, vqftest::kWriteFault},
                    FaultCase{"GetIframeRead", vqftest::kOpGetIframe, vqftest::kReadFault},
                    FaultCase{"GetIframeDivide", vqftest::kOpGetIframe, vqftest::kDivideFault},
                    FaultCase{"PauseWrite", vqftest::kOpPause, vqftest::kWriteFault},
                    FaultCase{"RestartWrite", vqftest::kOpRestart, vqftest::kWriteFault},
                    FaultCase{"StopWrite", vqftest::kOpStop, vqftest::kWriteFault}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// Our stand-in with a small TwinVQ file: the song plays to its end.
TEST_F(TwindeckTest, TheStandInPlaysATwinVqFileToItsEnd) {
  ASSERT_TRUE(CopyFileA(SD_DIST_DIR "vqf.dll", (folder_ + "vqf.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(SD_DIST_DIR "twinvq2.cdb", (folder_ + "twinvq2.cdb").c_str(), FALSE));
  // 8 kHz at 8 kbit/s, 256 bits a frame: 2000 bytes are 63 frames, 2 s, 31.25 frames a second.
  const std::string song = folder_ + "tiny.vqf";
  {
    std::ofstream f(song, std::ios::binary | std::ios::trunc);
    f << vqftest::TwinVqFile(vqftest::Comm(0, 8, 8), 2000);
  }
  Load();
  Play(song.c_str());
  EXPECT_EQ(Take(), (Reports{{"%Status", 1}, {"%TotalTime", 2}}));
  ASSERT_TRUE(PumpUntilKey(sd::kKeyStatus, 6000));
  Reports r = Take();
  ASSERT_GE(r.size(), 2u);
  int32_t last = -1;
  for (size_t k = 0; k + 1 < r.size(); ++k) {
    EXPECT_EQ(r[k].first, "%Time");
    EXPECT_GE(r[k].second, last);
    last = r[k].second;
  }
  EXPECT_EQ(last, 2);
  EXPECT_EQ(r.back(), (std::pair<std::string, int32_t>{"%Status", 0}));
  Send(sd::PM_STOP, 0);
  EXPECT_EQ(Take(), (Reports{{"%Status", 0}}));
  Unload();
  DeleteFileA(song.c_str());
}

}  // namespace
