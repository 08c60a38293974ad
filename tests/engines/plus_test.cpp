// The engine manager against real plug-in libraries in a plug-in folder of its own.
#include "engines/plus.h"

#include <windows.h>

#include "engines/fault_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "core/commands.h"
#include "tests/engines/plugins/test_plugin_log.h"
#include "core/paths.h"
#include "core/settings.h"
#include "shell/option.h"
#include "ui/app.h"
#include "ui/prompt.h"

namespace sd {
namespace {

TestPluginLog* Log() { return OpenTestPluginLog(); }

const char* kGuidA = "{11111111-2222-3333-4444-555555555555}";
const char* kGuidB = "{AAAAAAAA-2222-3333-4444-555555555555}";

class PlusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    folder_ = std::string(tmp) + "sdplus" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++serial_) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    Paths() = MakePaths(folder_ + "songdeck.exe");
    CreateDirectoryA(Paths().PluginFolder.c_str(), nullptr);
    option_ = new TOption;
    SetOption(option_);
    plus_ = new TPlus;
    SetPlus(plus_);
    ZeroMemory(Log(), sizeof(TestPluginLog));
    ui::SetPrompter(&prompter_);
  }
  void TearDown() override {
    SetPlus(nullptr);
    delete plus_;
    SetOption(nullptr);
    delete option_;
    ui::SetPrompter(nullptr);
    RemoveTree(folder_);
  }
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(dir + n + "\\");
        else
          DeleteFileA((dir + n).c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }
  // Copies a test plug-in into the plug-in folder (or a sub-folder) with a descriptor.
  std::string Install(const char* kind, const std::string& relPath, const char* guid, int version,
                      const std::string& masks, int flags = 0) {
    std::string src = std::string(SD_BIN_DIR) + "tests\\engines\\plugins\\tp_" + kind + ".dll";
    std::string dst = Paths().PluginFolder + relPath;
    for (size_t i = Paths().PluginFolder.size(); (i = dst.find('\\', i)) != std::string::npos; ++i)
      CreateDirectoryA(dst.substr(0, i).c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(src.c_str(), dst.c_str(), FALSE)) << src;
    std::string desc = EncodeDescriptor(guid, version, flags, "test plug-in", masks);
    EXPECT_FALSE(desc.empty());
    HANDLE f = CreateFileA(dst.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD put = 0;
    WriteFile(f, desc.data(), static_cast<DWORD>(desc.size()), &put, nullptr);
    CloseHandle(f);
    return dst;
  }
  LONG Count(uint32_t msg) const { return Log()->counts[msg]; }

  static int serial_;
  std::string folder_;
  TOption* option_ = nullptr;
  TPlus* plus_ = nullptr;
  ui::ScriptedPrompter prompter_;
};
int PlusTest::serial_ = 0;

TEST_F(PlusTest, BuiltInRows) {
  ASSERT_EQ(plus_->EngineCount(), 2);
  EXPECT_EQ(plus_->Engines[0].Guid, kMpegGuid);
  EXPECT_EQ(plus_->Engines[0].Masks, "*.mp3;");
  EXPECT_EQ(plus_->Engines[1].Masks, "*.cda;");
  EXPECT_EQ(plus_->CurrentEngine, -1);
  EXPECT_EQ(plus_->ChooseEngine(".mp3"), 0);
  EXPECT_EQ(plus_->ChooseEngine(".cda"), 1);
  EXPECT_EQ(plus_->ChooseEngine(".ogg"), -1);
  EXPECT_EQ(plus_->SendMsg(0, PM_REFRESH, 0), kPlusNoEntry);  // not loaded
}

TEST_F(PlusTest, ChoiceByNumberAssignmentAndExtension) {
  struct Case {
    int version;
    std::string masks;
    std::string ext;
    bool pluginWins;
  } cases[] = {
      {4300000, "*.mp3;", ".mp3", true},
      {4210724, "*.mp3;", ".mp3", false},  // the first of equal numbers wins
      {4100000, "*.vqf;", ".vqf", true},
      {4100000, "*.vqf;", "", false},      // no extension looks for ";": the highest of all
      {4300000, "*.vqf;", "", true},
      {0, "*.vqf;", ".vqf", false},        // a number of 0 is never chosen
  };
  for (const auto& c : cases) {
    std::string path = Install("counting", "a.dll", kGuidA, c.version, c.masks);
    plus_->Rescan();
    ASSERT_EQ(plus_->EngineCount(), 3);
    int row = plus_->ChooseEngine(c.ext);
    if (c.pluginWins)
      EXPECT_EQ(row, 2) << c.version << c.ext;
    else
      EXPECT_NE(row, 2) << c.version << c.ext;
    // Start again with a fresh table for the next case.
    delete plus_;
    plus_ = new TPlus;
    SetPlus(plus_);
    DeleteFileA(path.c_str());
  }
}

TEST_F(PlusTest, StaleAssignmentFallsBack) {
  Install("counting", "a.dll", kGuidA, 4300000, "*.mp3;");
  plus_->Rescan();
  Settings().WriteString("文件类型", ".mp3", kMpegGuid);
  EXPECT_EQ(plus_->ChooseEngine(".mp3"), 0);  // the assignment first
  Settings().WriteString("文件类型", ".mp3", "{DEADBEEF-0000-0000-0000-000000000000}");
  EXPECT_EQ(plus_->ChooseEngine(".mp3"), 2);  // gone: the automatic choice
  plus_->AssignEngine(".vqf", 2);
  EXPECT_EQ(Settings().ReadString("文件类型", ".vqf", ""), kGuidA);
}

TEST_F(PlusTest, SubFoldersRemovalAndCurrentEngine) {
  Install("counting", "a.dll", kGuidA, 4300000, "*.aaa;");
  std::string b = Install("counting", "sub\\deeper\\b.dll", kGuidB, 4300000, "*.bbb;");
  Install("counting", ".hidden\\c.dll", kGuidB, 4300000, "*.ccc;");
  plus_->Rescan();
  ASSERT_EQ(plus_->EngineCount(), 4);  // the "." folder is skipped
  plus_->Rescan();
  EXPECT_EQ(plus_->EngineCount(), 4);  // rescanning adds nothing twice
  int rowB = plus_->ChooseEngine(".bbb");
  ASSERT_GE(rowB, 2);
  EXPECT_EQ(plus_->Engines[rowB].Guid, kGuidB);
  // Remove the other plug-in: the rows after it move up and CurrentEngine follows its row.
  int rowA = plus_->ChooseEngine(".aaa");
  plus_->CurrentEngine = rowB;
  if (rowA < rowB) {
    DeleteFileA(plus_->Engines[rowA].Path.c_str());
    plus_->Rescan();
    EXPECT_EQ(plus_->CurrentEngine, rowB - 1);
  } else {
    DeleteFileA(b.c_str());
    plus_->CurrentEngine = rowA;
    plus_->Rescan();
    EXPECT_EQ(plus_->CurrentEngine, rowA - 1);
  }
  EXPECT_EQ(plus_->EngineCount(), 3);
}

TEST_F(PlusTest, LoadTwiceReleaseTwiceAndForced) {
  Install("counting", "a.dll", kGuidA, 4300000, "*.aaa;");
  plus_->Rescan();
  plus_->LoadEngine(2);
  plus_->LoadEngine(2);
  EXPECT_EQ(Count(PM_IDENTIFY), 1);
  EXPECT_EQ(Count(PM_CALLBACK), 1);
  EXPECT_EQ(Count(PM_STATUSREC), 1);
  EXPECT_EQ(plus_->Engines[2].UseCount, 2);
  plus_->ReleaseEngine(2, false);
  EXPECT_EQ(Count(PM_RELEASE), 0);
  EXPECT_TRUE(plus_->Engines[2].Handle != nullptr);
  plus_->ReleaseEngine(2, false);
  EXPECT_EQ(Count(PM_RELEASE), 1);
  EXPECT_EQ(plus_->Engines[2].Handle, nullptr);
  EXPECT_EQ(plus_->SendMsg(2, PM_REFRESH, 0), kPlusNoEntry);
  plus_->LoadEngine(2);
  plus_->LoadEngine(2);
  plus_->LoadEngine(2);
  plus_->ReleaseEngine(2, true);
  EXPECT_EQ(plus_->Engines[2].UseCount, 0);
  EXPECT_EQ(Count(PM_RELEASE), 2);
  EXPECT_EQ(Count(PM_IDENTIFY), 2);  // introduced once per load
  plus_->ReleaseEngine(2, false);     // nothing left to release
  EXPECT_EQ(Count(PM_RELEASE), 2);
}

TEST_F(PlusTest, FaultInsideAnEngineAnswers114AndTheHostGoesOn) {
  Install("faulting", "f.dll", kGuidA, 4300000, "*.aaa;");
  Install("noentry", "n.dll", kGuidB, 4300000, "*.nnn;");
  plus_->Rescan();
  int f = plus_->ChooseEngine(".aaa");
  int n = plus_->ChooseEngine(".nnn");
  ASSERT_GE(f, 2);
  ASSERT_GE(n, 2);
  plus_->LoadEngine(f);
  plus_->LoadEngine(n);
  EXPECT_EQ(plus_->SendMsg(f, PM_PAUSE, 0), kPlusEngineError);  // access violation
  EXPECT_EQ(plus_->SendMsg(f, PM_SEEK, 3), kPlusEngineError);   // division by zero
  EXPECT_EQ(plus_->SendMsg(f, PM_PAUSE, 0), kPlusEngineError);  // and again
  EXPECT_EQ(plus_->SendMsg(f, PM_REFRESH, 0), kPlusHandled);    // the engine still answers
  EXPECT_TRUE(plus_->Engines[n].Handle != nullptr);
  EXPECT_EQ(plus_->SendMsg(n, PM_REFRESH, 0), kPlusNoEntry);
  // A C++ exception of the host is not a hardware fault: it passes through the guard.
  EXPECT_THROW(
      {
        struct Thrower {
          static void Run(void*) { throw 42; }
        };
        CallGuarded(&Thrower::Run, nullptr);
      },
      int);
}

TEST_F(PlusTest, PlayReportsAndStop) {
  Install("counting", "a.dll", kGuidA, 4300000, "*.aaa;");
  option_->SetPlayMode(true);
  ASSERT_TRUE(plus_->PlayFile(".aaa", "c:\\songs\\x.aaa", 3));
  EXPECT_EQ(Count(PM_PREPARE), 1);
  EXPECT_EQ(Count(PM_PRIORITY), 1);
  EXPECT_EQ(Count(PM_PLAY), 1);
  EXPECT_EQ(option_->TotalTime(), 100);
  EXPECT_EQ(StatusRecord().TotalTime, 100);
  EXPECT_EQ(option_->PlayState(), kStatePlaying);
  EXPECT_TRUE(option_->EndOfTrackPending());
  EXPECT_TRUE(option_->Deferred().Pending());  // "#TestVerb" waits for the message loop
  EXPECT_EQ(option_->Deferred().Sender(), kGuidA);
  plus_->StopCurrent();
  EXPECT_EQ(Count(PM_STOP), 1);
  EXPECT_EQ(Count(PM_STOPPED), 1);
  EXPECT_EQ(Count(PM_RELEASE), 1);
  EXPECT_EQ(plus_->CurrentEngine, -1);
  EXPECT_FALSE(plus_->PlayFile(".zzz", "c:\\x.zzz", 4));
  ui::Application::Get().ProcessMessages();
}

TEST_F(PlusTest, StatusReportRules) {
  struct Case {
    int state;
    bool playMode;
    int32_t value;
    int after;
  } cases[] = {
      {kStateConnecting, true, 0, kStateConnecting},  // the song before's stop report
      {kStateConnecting, false, 0, kStateStopped},
      {kStatePlaying, true, 2, kStatePaused},
      {kStatePlaying, true, 7, kStateError},
      {kStatePlaying, true, -1, kStateError},
  };
  for (const auto& c : cases) {
    option_->SetPlayState(c.state);
    option_->SetPlayMode(c.playMode);
    PlusCallback(kGuidA, "%status", nullptr, c.value);
    EXPECT_EQ(option_->PlayState(), c.after) << c.value;
  }
  PlusCallback(kGuidA, " %TIME ", nullptr, 12);
  EXPECT_EQ(option_->Position(), 12);
  EXPECT_EQ(StatusRecord().Position, 120);
  PlusCallback(kGuidA, nullptr, nullptr, 1);  // no key: nothing
}

TEST_F(PlusTest, HiddenMarksAndGeneralPlugins) {
  Install("counting", "g.dll", kGuidA, 4300000, "", 100);
  plus_->Rescan();
  plus_->AllMasks();
  EXPECT_FALSE(plus_->IsHidden(kGuidA));
  plus_->SetHidden(kGuidA, true);
  EXPECT_TRUE(plus_->IsHidden(kGuidA));
  plus_->SetHidden(kGuidA, false);
  EXPECT_FALSE(plus_->IsHidden(kGuidA));
  plus_->StartGeneral(kGuidA, true);
  EXPECT_TRUE(plus_->IsStarted(kGuidA));
  EXPECT_EQ(Count(PM_START), 1);
  plus_->StartGeneral(kGuidA, true);  // already started
  EXPECT_EQ(Count(PM_START), 1);
  plus_->StartGeneral(kGuidA, false);
  EXPECT_FALSE(plus_->IsStarted(kGuidA));
  EXPECT_EQ(Count(PM_CLOSE), 1);
  EXPECT_EQ(Count(PM_RELEASE), 1);
  EXPECT_FALSE(plus_->IsStarted("{not there}"));
}

}  // namespace
}  // namespace sd
