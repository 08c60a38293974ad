// The real program under Wine: single instance, instance messages, the registry record,
// closing cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/reg.h"
#include "core/text.h"
#include "tests/app/e2e_support.h"

namespace {

struct Received {
  WPARAM verb;
  bool hasBlock;
  std::string arg;
};
std::vector<Received> g_received;

LRESULT CALLBACK FakePlayerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    Received r{wp, cds != nullptr, ""};
    if (cds && cds->lpData && cds->cbData) r.arg.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    g_received.push_back(r);
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

// A window of the running player's class, owned by this test process.
class FakePlayer {
 public:
  FakePlayer() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FakePlayerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZEDIROdedaroriz";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, "ZEDIROdedaroriz", "fake", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    g_received.clear();
  }
  ~FakePlayer() { DestroyWindow(hwnd); }
  HWND hwnd;
};

class SecondStart : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::DeleteProgramKey();
    folder_ = e2e::MakeTempFolder("second");
    ASSERT_TRUE(e2e::CopyProgram(folder_));
  }
  void TearDown() override { e2e::RemoveTree(folder_); }
  std::string folder_;
};

TEST_F(SecondStart, ForwardsArgumentsInOrderAndEnds) {
  FakePlayer fake;
  ASSERT_TRUE(fake.hwnd);
  e2e::Process p;
  ASSERT_TRUE(p.Start(folder_ + "songdeck.exe", {"c:\\music\\song1.mp3", "c:\\skins\\skin.eks", "c:\\歌曲\\song2.mp3"}));
  EXPECT_EQ(p.Wait(20000), 0);
  ASSERT_EQ(g_received.size(), 4u);
  const std::pair<WPARAM, std::string> expected[] = {
      {2, "c:\\music\\song1.mp3"}, {2, "c:\\歌曲\\song2.mp3"}, {3, "c:\\skins\\skin.eks"}, {5, "c:\\歌曲\\song2.mp3"}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(g_received[i].verb, expected[i].first) << i;
    EXPECT_TRUE(g_received[i].hasBlock);
    // The block holds the text and its NUL, nothing more.
    EXPECT_EQ(g_received[i].arg, expected[i].second + std::string(1, '\0')) << i;
  }
  // The second start touched none of the player's files or registry values.
  EXPECT_EQ(e2e::ListFolder(folder_), std::vector<std::string>{"songdeck.exe"});
  EXPECT_FALSE(e2e::ProgramKeyExists());
}

TEST_F(SecondStart, WithoutArgumentsAsksForTheWindow) {
  FakePlayer fake;
  e2e::Process p;
  ASSERT_TRUE(p.Start(folder_ + "songdeck.exe", {}));
  EXPECT_EQ(p.Wait(20000), 0);
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].verb, 6u);
  // Without a block, or (where the system cannot carry that) with an empty text.
  if (g_received[0].hasBlock) EXPECT_EQ(g_received[0].arg, std::string(1, '\0'));
  EXPECT_EQ(e2e::ListFolder(folder_), std::vector<std::string>{"songdeck.exe"});
}

// The real player, started from a copy in a folder of its own.
class RealPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::DeleteProgramKey();
    folder_ = e2e::MakeTempFolder("player");
    ASSERT_TRUE(e2e::CopyProgram(folder_));
  }
  void TearDown() override {
    player_.Kill();
    e2e::RemoveTree(folder_);
    e2e::DeleteProgramKey();
  }
  HWND WaitForWindow() {
    HWND w = nullptr;
    e2e::PumpUntil(20000, [&] { return (w = FindWindowA("ZEDIROdedaroriz", nullptr)) != nullptr; });
    return w;
  }
  std::string folder_;
  e2e::Process player_;
};

TEST_F(RealPlayer, FirstStartWritesTheRecordAndExitKeepsOnlyIt) {
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {}));
  HWND w = WaitForWindow();
  ASSERT_TRUE(w);
  {
    sd::TReg reg;
    ASSERT_TRUE(reg.OpenRegKey(""));
    EXPECT_EQ(reg.ReadRegString("版本", ""), "2.24tm");
    std::string exe = reg.ReadRegString("执行文件", "");
    EXPECT_TRUE(sd::TextEquals(exe, folder_ + "songdeck.exe")) << exe;
    ASSERT_TRUE(reg.OpenRegKey("设定"));
    EXPECT_TRUE(sd::TextEquals(reg.ReadRegString("安装位置", ""), folder_));
    reg.WriteRegString("打开位置", "c:\\kept\\");
    reg.WriteRegString("临时", "gone after exit");
  }
  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(player_.Wait(20000), 0);
  sd::TReg reg;
  ASSERT_TRUE(reg.OpenRegKey(""));
  std::vector<std::string> values, keys;
  reg.RegValueNames(values);
  reg.RegKeyNames(keys);
  std::sort(values.begin(), values.end());
  std::vector<std::string> record{"版本", "执行文件"};
  std::sort(record.begin(), record.end());
  EXPECT_EQ(values, record);
  EXPECT_EQ(keys, std::vector<std::string>{"设定"});
  ASSERT_TRUE(reg.OpenRegKey("设定"));
  reg.RegValueNames(values);
  EXPECT_EQ(values, std::vector<std::string>{"打开位置"});
}

TEST_F(RealPlayer, SecondStartShowsTheRunningWindowAndHostileMessagesAreIgnored) {
  e2e::SeedVersionRecord();
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {}));
  HWND w = WaitForWindow();
  ASSERT_TRUE(w);
  EXPECT_FALSE(IsWindowVisible(w));

  // Hostile senders: an address as WParam, unknown numbers, a block whose length does not
  // match its text. The player ignores them and keeps running.
  const char text[] = "#Normal";
  COPYDATASTRUCT cds = {0, sizeof text, const_cast<char*>(text)};
  SendMessageA(w, WM_COPYDATA, reinterpret_cast<WPARAM>(text), reinterpret_cast<LPARAM>(&cds));
  SendMessageA(w, WM_COPYDATA, 0, 0);
  SendMessageA(w, WM_COPYDATA, 7, 0);
  SendMessageA(w, WM_COPYDATA, 0x7FFFFFFF, reinterpret_cast<LPARAM>(&cds));
  COPYDATASTRUCT shortBlock = {0, 3, const_cast<char*>(text)};
  SendMessageA(w, WM_COPYDATA, 6, reinterpret_cast<LPARAM>(&shortBlock));
  e2e::PumpUntil(500, [] { return false; });
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(WaitForSingleObject(player_.pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // A real second start without arguments.
  e2e::Process second;
  ASSERT_TRUE(second.Start(folder_ + "songdeck.exe", {}));
  EXPECT_EQ(second.Wait(20000), 0);
  EXPECT_TRUE(e2e::PumpUntil(5000, [&] { return IsWindowVisible(w) != FALSE; }));

  PostMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(player_.Wait(20000), 0);
}

TEST_F(RealPlayer, EndOfSessionRunsTheNormalShutdownFirst) {
  e2e::SeedVersionRecord();
  std::string song = folder_ + "song.mp3";
  HANDLE f = CreateFileA(song.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(f);
  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {song}));
  HWND w = WaitForWindow();
  ASSERT_TRUE(w);
  DeleteFileA((folder_ + "Options.ini").c_str());
  DeleteFileA((folder_ + "default.ini").c_str());
  // The system asks, then ends the session; it will not wait for the message loop.
  EXPECT_TRUE(SendMessageA(w, WM_QUERYENDSESSION, 0, 0));
  SendMessageA(w, WM_ENDSESSION, TRUE, 0);
  // Before the process is gone, the options and the library are on disk again.
  char v[16] = {};
  GetPrivateProfileStringA("播放", "循环", "", v, sizeof v, (folder_ + "Options.ini").c_str());
  EXPECT_STREQ(v, "0");
  std::vector<char> keys(4096);
  GetPrivateProfileStringA("标准", nullptr, "", keys.data(), static_cast<DWORD>(keys.size()),
                           (folder_ + "default.ini").c_str());
  EXPECT_STREQ(keys.data(), "password");
  EXPECT_EQ(player_.Wait(10000), 0);
}

}  // namespace
