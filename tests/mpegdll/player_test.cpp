// mpeg.dll on its own, loaded from the program folder and driven through its exports the
// way the player does: by name, with notifications posted to a window.
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mpegdll/mpeg.h"

namespace {

std::string Fixture(const std::string& name) { return std::string(SD_BIN_DIR) + "tests\\mpegdll\\fixtures\\" + name; }
std::string Temp(const std::string& name) { return std::string(SD_BIN_DIR) + "tests\\mpegdll\\" + name; }

std::vector<int16_t> ReadPcm(const std::string& path) {
  std::vector<int16_t> v;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return v;
  int16_t buf[8192];
  size_t n;
  while ((n = std::fread(buf, 2, 8192, f)) > 0) v.insert(v.end(), buf, buf + n);
  std::fclose(f);
  return v;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& d) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(d.data(), 1, d.size(), f);
  std::fclose(f);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> d;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  std::fseek(f, 0, SEEK_END);
  d.resize(size_t(std::ftell(f)));
  std::fseek(f, 0, SEEK_SET);
  if (std::fread(d.data(), 1, d.size(), f) != d.size()) d.clear();
  std::fclose(f);
  return d;
}

struct Note {
  int code;
  int value;  // state, error, seconds (time codes turned into seconds), duration
  DWORD at;   // GetTickCount
};

std::vector<Note>* g_notes = nullptr;

struct Dll {
  HMODULE module = nullptr;
  decltype(&player_new) New = nullptr;
  decltype(&player_delete) Delete = nullptr;
  decltype(&player_set_priority) SetPriority = nullptr;
  decltype(&control_message_send_N) SendN = nullptr;
  decltype(&control_message_send_S) SendS = nullptr;
  decltype(&control_message_send_P) SendP = nullptr;
  decltype(&control_message_send_II) SendII = nullptr;
  decltype(&control_win32_params_to_message) ToMessage = nullptr;
  template <class F>
  void Find(F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  bool Load() {
    module = LoadLibraryA(SD_DIST_DIR "mpeg.dll");
    if (!module) return false;
    Find(New, "player_new");
    Find(Delete, "player_delete");
    Find(SetPriority, "player_set_priority");
    Find(SendN, "control_message_send_N");
    Find(SendS, "control_message_send_S");
    Find(SendP, "control_message_send_P");
    Find(SendII, "control_message_send_II");
    Find(ToMessage, "control_win32_params_to_message");
    return New && Delete && SetPriority && SendN && SendS && SendP && SendII && ToMessage;
  }
};

Dll g_dll;

LRESULT CALLBACK NoteProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= MPEG_NOTIFY_BASE && g_notes) {
    MpegMessage m;
    if (g_dll.ToMessage(nullptr, &m, msg, wp, lp) == MPEG_OK) {
      int v = m.data[0];
      if (m.code == MPEG_NOTE_TIME) v = m.data[0] * 3600 + m.data[1] * 60 + m.data[2];
      if (m.code == MPEG_NOTE_DURATION) std::memcpy(&v, m.data, 4);
      g_notes->push_back({m.code, v, GetTickCount()});
    }
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

// Threads of this process that started inside mpeg.dll.
std::vector<DWORD> LibraryThreads() {
  std::vector<DWORD> ids;
  auto base = reinterpret_cast<uintptr_t>(g_dll.module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  uintptr_t end = base + nt->OptionalHeader.SizeOfImage;
  using QueryFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te{};
  te.dwSize = sizeof te;
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
    if (te.th32OwnerProcessID != GetCurrentProcessId()) continue;
    HANDLE t = OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID);
    if (!t) continue;
    uintptr_t start = 0;
    if (query && query(t, 9 /* ThreadQuerySetWin32StartAddress */, &start, sizeof start, nullptr) == 0 &&
        start >= base && start < end)
      ids.push_back(te.th32ThreadID);
    CloseHandle(t);
  }
  CloseHandle(snap);
  return ids;
}

class MpegDll : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(g_dll.Load()) << "mpeg.dll or one of its exports is missing";
    WNDCLASSA wc{};
    wc.lpfnWndProc = NoteProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MpegDllTestNotes";
    RegisterClassA(&wc);
  }
  void SetUp() override {
    g_notes = &notes_;
    window_ = CreateWindowExA(0, "MpegDllTestNotes", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(g_dll.New(&player_, &window_), MPEG_OK);
  }
  void TearDown() override {
    if (player_) g_dll.Delete(player_);
    Pump(50);
    DestroyWindow(window_);
    g_notes = nullptr;
  }
  // Lets notifications arrive for ms milliseconds.
  void Pump(DWORD ms) { PumpUntil([] { return false; }, ms); }
  // Lets notifications arrive until done() holds or ms milliseconds passed.
  bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      if (done()) return true;
      if (GetTickCount() - start >= ms) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  bool Has(int code, int value) const {
    for (const auto& n : notes_)
      if (n.code == code && n.value == value) return true;
    return false;
  }
  int Last(int code) const {
    for (auto it = notes_.rbegin(); it != notes_.rend(); ++it)
      if (it->code == code) return it->value;
    return -1;
  }
  bool WaitState(int s, DWORD ms) {
    return PumpUntil([&] { return Last(MPEG_NOTE_STATE) == s; }, ms);
  }
  // Decodes a song to a PCM file (optionally from a second, optionally equalised).
  std::vector<int16_t> DecodeToFile(const std::string& song, int fromSecond = 0, const int8_t* eq = nullptr) {
    std::string out = Temp(std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".raw");
    EXPECT_EQ(g_dll.SendS(player_, MPEG_CMD_OUTPUT_FILE, out.c_str()), MPEG_OK);
    EXPECT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, song.c_str()), MPEG_OK);
    if (fromSecond) {
      EXPECT_EQ(g_dll.SendII(player_, MPEG_CMD_SEEK, fromSecond, 0), MPEG_OK);
    }
    if (eq) {
      EXPECT_EQ(g_dll.SendP(player_, MPEG_CMD_EQUALIZER, eq), MPEG_OK);
    }
    notes_.clear();
    EXPECT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
    EXPECT_TRUE(PumpUntil([&] { return Has(MPEG_NOTE_STATE, MPEG_STATE_DRAINING) && Last(MPEG_NOTE_STATE) == 0; }, 30000))
        << "decoding did not end";
    g_dll.SendN(player_, MPEG_CMD_STOP);
    g_dll.SendN(player_, MPEG_CMD_CLOSE);
    return ReadPcm(out);
  }

  HWND window_ = nullptr;
  MpegPlayer* player_ = nullptr;
  std::vector<Note> notes_;
};

// Best lag of b against a (b[i + lag] ~ a[i]) for lags in [lo, hi], channel 0 of interleaved data.
int BestLag(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int ch, int lo, int hi, size_t from, size_t len) {
  double best = -1e300;
  int bestLag = lo;
  for (int lag = lo; lag <= hi; ++lag) {
    double s = 0;
    for (size_t i = from; i < from + len; ++i) {
      long long j = (long long)i + lag;
      if (j < 0 || size_t(j) * size_t(ch) >= b.size() || i * size_t(ch) >= a.size()) continue;
      s += double(a[i * size_t(ch)]) * b[size_t(j) * size_t(ch)];
    }
    if (s > best) {
      best = s;
      bestLag = lag;
    }
  }
  return bestLag;
}

// Signal-to-noise ratio of b against a at the lag, over frames [from, to), every channel.
double SnrDb(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int ch, int lag, size_t from, size_t to) {
  double sig = 0, noise = 0;
  for (size_t i = from; i < to; ++i)
    for (int c = 0; c < ch; ++c) {
      size_t ia = i * size_t(ch) + size_t(c);
      long long jb = ((long long)i + lag) * ch + c;
      if (ia >= a.size() || jb < 0 || size_t(jb) >= b.size()) continue;
      double d = double(a[ia]) - b[size_t(jb)];
      sig += double(a[ia]) * a[ia];
      noise += d * d;
    }
  return 10 * std::log10(sig / std::max(noise, 1e-9));
}

struct Song {
  const char* name;
  int rate, channels;
  double seconds;
};
const Song kSongs[] = {
    {"cbr44", 44100, 2, 6}, {"vbr44", 44100, 2, 6}, {"cbr48", 48000, 2, 5},
    {"m2mono", 22050, 1, 4}, {"m25vbr", 11025, 2, 4}, {"tagged", 44100, 2, 6},
};

}  // namespace

TEST_F(MpegDll, DecodesLikeLameAndKnowsTheLength) {
  for (const auto& s : kSongs) {
    SCOPED_TRACE(s.name);
    auto ours = DecodeToFile(Fixture(std::string(s.name) + ".mp3"));
    auto ref = ReadPcm(Fixture(std::string(s.name) + ".raw"));
    ASSERT_FALSE(ref.empty());
    ASSERT_GT(ours.size(), size_t(s.rate) * s.channels);
    EXPECT_NEAR(double(ours.size()) / s.channels / s.rate, s.seconds, 1.0);
    // lame --decode leaves out the encoder's delay: find it by cross-correlation.
    size_t mid = ref.size() / size_t(s.channels) / 3;
    int lag = BestLag(ref, ours, s.channels, 0, 3000, mid, 4096);
    size_t frames = ref.size() / size_t(s.channels);
    double snr = SnrDb(ref, ours, s.channels, lag, 2000, frames - 2000);
    EXPECT_GE(snr, 60.0) << "lag " << lag;
    EXPECT_EQ(Last(MPEG_NOTE_ERROR), -1) << "no damage in a sound file";
  }
}

TEST_F(MpegDll, ReportsTheDurationOfCbrAndVbrSongs) {
  for (const auto& s : kSongs) {
    SCOPED_TRACE(s.name);
    notes_.clear();
    ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture(std::string(s.name) + ".mp3").c_str()), MPEG_OK);
    ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_DURATION) >= 0; }, 2000));
    EXPECT_NEAR(double(Last(MPEG_NOTE_DURATION)), s.seconds, 1.0);
  }
}

TEST_F(MpegDll, SeekLandsOnTheSecond) {
  struct Case {
    const char* name;
    int channels, rate, second, spf;
  } cases[] = {{"cbr44", 2, 44100, 2, 1152}, {"vbr44", 2, 44100, 3, 1152},
               {"m2mono", 1, 22050, 2, 576}, {"m25vbr", 2, 11025, 1, 576}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string song = Fixture(std::string(c.name) + ".mp3");
    auto whole = DecodeToFile(song);
    auto from = DecodeToFile(song, c.second);
    ASSERT_GT(from.size(), size_t(c.rate / 2) * c.channels);
    // from[i] should be whole[i + second * rate]
    int lag = BestLag(from, whole, c.channels, c.second * c.rate - 2 * c.spf, c.second * c.rate + 2 * c.spf, 2 * size_t(c.spf), 4096);
    EXPECT_LT(std::abs(lag - c.second * c.rate), c.spf) << "landed at sample " << lag;
    EXPECT_GE(SnrDb(from, whole, c.channels, lag, 2 * size_t(c.spf), from.size() / size_t(c.channels) - 100), 60.0);
  }
}

TEST_F(MpegDll, SeekAtOrBeyondTheEndEndsTheSong) {
  for (int second : {6, 100}) {
    SCOPED_TRACE(second);
    auto pcm = DecodeToFile(Fixture("cbr44.mp3"), second);
    EXPECT_LT(pcm.size(), 2u * 1152 * 2);
  }
}

TEST_F(MpegDll, PlaysAgainFromTheStartAfterTheEnd) {
  std::string out = Temp("again.raw");
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OUTPUT_FILE, out.c_str()), MPEG_OK);
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture("m2mono.mp3").c_str()), MPEG_OK);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    notes_.clear();
    ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
    ASSERT_TRUE(PumpUntil([&] { return Has(MPEG_NOTE_STATE, 3) && Last(MPEG_NOTE_STATE) == 0; }, 30000));
    EXPECT_TRUE(Has(MPEG_NOTE_TIME, 0));
    EXPECT_TRUE(Has(MPEG_NOTE_TIME, 3));
  }
  g_dll.SendN(player_, MPEG_CMD_STOP);
  EXPECT_NEAR(double(ReadPcm(out).size()) / 22050, 4.0, 1.0);
}

TEST_F(MpegDll, FlatEqualiserIsBitExactAndOthersChangeTheSound) {
  std::string song = Fixture("cbr44.mp3");
  auto plain = DecodeToFile(song);
  int8_t flat[64] = {};
  auto withFlat = DecodeToFile(song, 0, flat);
  EXPECT_EQ(plain, withFlat);
  int8_t bass[64] = {};
  bass[0] = bass[1] = bass[32] = bass[33] = 127;
  auto boosted = DecodeToFile(song, 0, bass);
  ASSERT_EQ(boosted.size(), plain.size());
  EXPECT_LT(SnrDb(plain, boosted, 2, 0, 0, plain.size() / 2), 20.0);
}

TEST_F(MpegDll, DamagedAndForeignFilesReportAnError) {
  auto cbr = ReadBytes(Fixture("cbr44.mp3"));
  ASSERT_FALSE(cbr.empty());
  std::vector<uint8_t> text(4000, 'x');
  std::vector<uint8_t> noise(50000);
  uint32_t r = 12345;
  for (auto& b : noise) b = uint8_t((r = r * 1103515245u + 12345u) >> 24);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool write;
    int error;
  } cases[] = {{"text", text, true, MPEG_ERR_FORMAT},
               {"noise", noise, true, MPEG_ERR_FORMAT},
               {"empty", {}, true, MPEG_ERR_FORMAT},
               {"missing", {}, false, MPEG_ERR_OPEN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = Temp(std::string("bad-") + c.what + ".mp3");
    DeleteFileA(path.c_str());
    if (c.write) WriteBytes(path, c.bytes);
    notes_.clear();
    EXPECT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, path.c_str()), MPEG_E_OPEN);
    ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_ERROR) >= 0; }, 2000));
    EXPECT_EQ(Last(MPEG_NOTE_ERROR), c.error);
    EXPECT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_E_STATE);
  }
  // A song cut off in the middle of a frame, or with garbage inside, plays to its end.
  std::vector<uint8_t> cut(cbr.begin(), cbr.begin() + 30001);
  std::vector<uint8_t> holed = cbr;
  for (size_t i = 20000; i < 21000; ++i) holed[i] = uint8_t(i * 7);
  for (auto* d : {&cut, &holed}) {
    std::string path = Temp("damaged.mp3");
    WriteBytes(path, *d);
    auto pcm = DecodeToFile(path);
    EXPECT_GT(pcm.size(), 44100u);
  }
}

TEST_F(MpegDll, OpenSongCannotBeWrittenUntilClosed) {
  std::string copy = Temp("locked.mp3");
  ASSERT_TRUE(CopyFileA(Fixture("m2mono.mp3").c_str(), copy.c_str(), FALSE));
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, copy.c_str()), MPEG_OK);
  HANDLE h = CreateFileA(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  EXPECT_EQ(g_dll.SendN(player_, MPEG_CMD_CLOSE), MPEG_OK);
  h = CreateFileA(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

TEST_F(MpegDll, NotificationBlocksDecode) {
  struct Case {
    uint32_t msg;
    intptr_t lp;
    int result, code;
    uint8_t d0, d1, d2;
  } cases[] = {
      {MPEG_NOTIFY_BASE + 87, 1 | (2 << 8) | (3 << 16), MPEG_OK, 87, 1, 2, 3},
      {MPEG_NOTIFY_BASE + 78, 3, MPEG_OK, 78, 3, 0, 0},
      {MPEG_NOTIFY_BASE + 75, 2, MPEG_OK, 75, 2, 0, 0},
      {MPEG_NOTIFY_BASE + 111, 3723, MPEG_OK, 111, 3723 & 0xFF, 3723 >> 8, 0},
      {WM_TIMER, 0, MPEG_E_NOT_OURS, 0, 0, 0, 0},
      {MPEG_NOTIFY_BASE + 1, 0, MPEG_E_NOT_OURS, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.msg);
    MpegMessage m;
    std::memset(&m, 0xAA, sizeof m);
    EXPECT_EQ(g_dll.ToMessage(nullptr, &m, c.msg, 0, c.lp), c.result);
    if (c.result != MPEG_OK) {
      continue;
    }
    EXPECT_EQ(m.code, c.code);
    EXPECT_EQ(m.data[0], c.d0);
    EXPECT_EQ(m.data[1], c.d1);
    EXPECT_EQ(m.data[2], c.d2);
  }
  EXPECT_EQ(g_dll.ToMessage(nullptr, nullptr, MPEG_NOTIFY_BASE + 78, 0, 1), MPEG_E_ARGUMENT);
}

// ---- through the sound device ------------------------------------------------------------

class MpegDllDevice : public MpegDll {
 protected:
  void SetUp() override {
    MpegDll::SetUp();
    WAVEFORMATEX pf{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
    HWAVEOUT w;
    if (waveOutOpen(&w, WAVE_MAPPER, &pf, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
      GTEST_SKIP() << "no sound device can be opened here: playback through waveOut not tested";
    waveOutClose(w);
  }
};

TEST_F(MpegDllDevice, PlaysToTheEndWithTimeCodesAndDrainState) {
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture("m2mono.mp3").c_str()), MPEG_OK);
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
  ASSERT_TRUE(PumpUntil([&] { return Has(MPEG_NOTE_STATE, 3) && Last(MPEG_NOTE_STATE) == 0; }, 15000));
  std::vector<int> states, times;
  for (const auto& n : notes_) {
    if (n.code == MPEG_NOTE_STATE) states.push_back(n.value);
    if (n.code == MPEG_NOTE_TIME) times.push_back(n.value);
  }
  EXPECT_EQ(states, (std::vector<int>{1, 3, 0}));
  ASSERT_GE(times.size(), 4u);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i], int(i));
  EXPECT_EQ(Last(MPEG_NOTE_DURATION), 4);
}

TEST_F(MpegDllDevice, PausesAndResumesWhereItStopped) {
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture("cbr44.mp3").c_str()), MPEG_OK);
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
  ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_TIME) >= 1; }, 5000));
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PAUSE), MPEG_OK);
  ASSERT_TRUE(WaitState(MPEG_STATE_PAUSED, 2000));
  EXPECT_EQ(g_dll.SendN(player_, MPEG_CMD_PAUSE), MPEG_OK);  // a second pause changes nothing
  size_t count = notes_.size();
  int at = Last(MPEG_NOTE_TIME);
  Pump(2000);
  EXPECT_EQ(notes_.size(), count) << "notifications while paused";
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
  ASSERT_TRUE(WaitState(MPEG_STATE_PLAYING, 2000));
  ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_TIME) > at; }, 3000));
  EXPECT_EQ(Last(MPEG_NOTE_TIME), at + 1);  // went on from where it was, not by the clock
}

TEST_F(MpegDllDevice, SeeksWhilePlaying) {
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture("cbr44.mp3").c_str()), MPEG_OK);
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
  ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_TIME) >= 1; }, 5000));
  notes_.clear();
  ASSERT_EQ(g_dll.SendII(player_, MPEG_CMD_SEEK, 4, 0), MPEG_OK);
  ASSERT_TRUE(PumpUntil([&] { return Last(MPEG_NOTE_TIME) == 5; }, 3000));
  ASSERT_FALSE(notes_.empty());
  EXPECT_TRUE(Has(MPEG_NOTE_TIME, 4));
  EXPECT_FALSE(Has(MPEG_NOTE_TIME, 2));
}

TEST_F(MpegDllDevice, DeleteDuringPlaybackLeavesNoThreadAndHonoursPriority) {
  ASSERT_EQ(g_dll.SendS(player_, MPEG_CMD_OPEN, Fixture("cbr44.mp3").c_str()), MPEG_OK);
  ASSERT_EQ(g_dll.SetPriority(player_, 2), MPEG_OK);
  ASSERT_EQ(g_dll.SendN(player_, MPEG_CMD_PLAY), MPEG_OK);
  ASSERT_TRUE(WaitState(MPEG_STATE_PLAYING, 3000));
  auto threads = LibraryThreads();
  ASSERT_EQ(threads.size(), 1u) << "the decoding thread should be found";
  HANDLE first = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threads[0]);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetThreadPriority(first), THREAD_PRIORITY_NORMAL) << "the priority set before playing";
  CloseHandle(first);
  struct {
    int priority, expected;
  } levels[] = {{1, THREAD_PRIORITY_BELOW_NORMAL}, {2, THREAD_PRIORITY_NORMAL},
                {3, THREAD_PRIORITY_ABOVE_NORMAL}, {4, THREAD_PRIORITY_HIGHEST}};
  for (const auto& l : levels) {
    ASSERT_EQ(g_dll.SetPriority(player_, l.priority), MPEG_OK);
    HANDLE t = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threads[0]);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(GetThreadPriority(t), l.expected) << "priority " << l.priority;
    CloseHandle(t);
  }
  Pump(300);
  DWORD before = GetTickCount();
  EXPECT_EQ(g_dll.Delete(player_), MPEG_OK);
  player_ = nullptr;
  EXPECT_LT(GetTickCount() - before, 2000u);
  EXPECT_TRUE(LibraryThreads().empty());
}

// The demo song of the program folder plays, and its tag links to lyrics that are there.
TEST_F(MpegDll, DemoSongDecodesAndLinksItsLyrics) {
  std::string demo = std::string(SD_DIST_DIR) + "demo.mp3";
  auto bytes = ReadBytes(demo);
  ASSERT_GT(bytes.size(), 164u + 10000);
  const uint8_t* lyrics = bytes.data() + bytes.size() - 164;
  ASSERT_EQ(std::memcmp(lyrics, "LYRICS", 6), 0);
  ASSERT_EQ(std::memcmp(lyrics + 36, "TAG", 3), 0);
  std::string name(reinterpret_cast<const char*>(lyrics + 6), strnlen(reinterpret_cast<const char*>(lyrics + 6), 30));
  EXPECT_EQ(name, "demo.lrc");
  auto lrc = ReadBytes(std::string(SD_DIST_DIR) + "Lyrics\\" + name);
  ASSERT_FALSE(lrc.empty());
  EXPECT_NE(std::string(lrc.begin(), lrc.end()).find("[00:02.40]"), std::string::npos);
  auto pcm = DecodeToFile(demo);
  EXPECT_NEAR(double(pcm.size()) / 2 / 44100, 24.0, 1.0);
  EXPECT_EQ(Last(MPEG_NOTE_ERROR), -1) << "the tags are not taken for damaged audio";
}
