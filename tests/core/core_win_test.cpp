// The core services on Windows: settings file, registry class and record, the verb table,
// deferred commands and the code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text.h"

#include <string>
#include <vector>

#include "core/commands.h"
#include "core/paths.h"
#include "core/reg.h"
#include "core/settings.h"
#include "core/window_pos.h"
#include "app/library_host.h"
#include "core/dialogs.h"
#include "library/play.h"
#include "library/low_arena.h"
#include "engines/plus.h"
#include "ui/prompt.h"
#include "shell/bindings.h"

#include <cstring>

#include <memory>
#include "engines/plus_api.h"
#include "setup/registry_record.h"
#include "shell/main_form.h"
#include "shell/option.h"
#include "ui/app.h"

namespace sd {
namespace {

std::string TempFolder() {
  char buf[MAX_PATH];
  GetTempPathA(sizeof buf, buf);
  std::string dir = std::string(buf) + "sdcore" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

TEST(CodePage, IsGbk) {
  // Every text of the player is GBK: a wrong locale must fail loudly here.
  EXPECT_EQ(GetACP(), 936u);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder();
    Paths() = MakePaths(folder_ + "songdeck.exe");
    DeleteFileA(Paths().SettingsFile.c_str());
  }
  void TearDown() override { DeleteFileA(Paths().SettingsFile.c_str()); }
  std::string folder_;
};

TEST_F(SettingsTest, BooleansAndIntegers) {
  IniFile ini = Settings();
  struct Case {
    const char* stored;
    bool def, result;
  } cases[] = {{"2", false, true}, {"1", false, true}, {"0", true, false}, {"abc", false, false},
               {"abc", true, true}, {"-1", false, true}, {"", true, true}};
  for (const auto& c : cases) {
    ini.WriteString("参数", "窗口位置", c.stored);
    EXPECT_EQ(ini.ReadBool("参数", "窗口位置", c.def), c.result) << c.stored;
  }
  ini.WriteBool("播放", "循环", true);
  EXPECT_EQ(ini.ReadString("播放", "循环", ""), "1");
  ini.WriteBool("播放", "循环", false);
  EXPECT_EQ(ini.ReadString("播放", "循环", ""), "0");
  EXPECT_EQ(ini.ReadInteger("播放", "优先级", 4), 4);
  ini.WriteInteger("播放", "优先级", 2);
  EXPECT_EQ(ini.ReadInteger("播放", "优先级", 4), 2);
  // Section and key names compare without regard to ASCII case.
  ini.WriteString("EQ均衡", "EQ[3]", "7");
  EXPECT_EQ(ini.ReadInteger("eq均衡", "eq[3]", 0), 7);
}

TEST_F(SettingsTest, MissingFileAndDeletionWhileRunning) {
  IniFile ini = Settings();
  EXPECT_EQ(ini.ReadString("参数", "打开位置", "默认"), "默认");
  EXPECT_FALSE(ini.ValueExists("参数", "打开位置"));
  ini.WriteString("参数", "打开位置", "c:\\音乐\\");
  EXPECT_EQ(ini.ReadString("参数", "打开位置", ""), "c:\\音乐\\");
  ASSERT_TRUE(DeleteFileA(ini.Path().c_str()));
  EXPECT_EQ(ini.ReadString("参数", "打开位置", "默认"), "默认");
  ini.WriteString("参数", "打开位置", "d:\\");
  EXPECT_EQ(ini.ReadString("参数", "打开位置", ""), "d:\\");
  // An empty value is a value, not a missing key.
  ini.WriteString("参数", "外壳", "");
  EXPECT_EQ(ini.ReadString("参数", "外壳", "x"), "");
}

TEST_F(SettingsTest, LongValuesReadWhole) {
  IniFile ini = Settings();
  std::string big(5000, 'x');
  ini.WriteString("参数", "长", big);
  EXPECT_EQ(ini.ReadString("参数", "长", ""), big);
}

TEST_F(SettingsTest, WindowPositionsRoundTrip) {
  HWND w = CreateWindowExA(0, "STATIC", "pos", WS_POPUP, 10, 20, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(w);
  RestoreWindowPos(w, "音量控制", false);  // nothing stored: stays where it was made
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  SetWindowPos(w, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SaveWindowPos(w, "音量控制", false);
  EXPECT_EQ(Settings().ReadInteger("音量控制", "位置[X]", 0), 33);
  EXPECT_EQ(Settings().ReadInteger("音量控制", "位置[Y]", 0), 44);
  EXPECT_FALSE(Settings().ValueExists("音量控制", "宽度"));
  Settings().WriteInteger("文件管理", "位置[X]", 50);
  Settings().WriteInteger("文件管理", "宽度", 300);
  RestoreWindowPos(w, "文件管理", true);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.top, 44);  // missing key: the current value
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 100);
  SaveWindowPos(w, "文件管理", true);
  EXPECT_EQ(Settings().ReadInteger("文件管理", "高度", 0), 100);
  EXPECT_FALSE(Settings().ReadBool("文件管理", "最大化", true));
  DestroyWindow(w);
}

// Registry tests share the program's key with the end-to-end tests: they run under one lock.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { TReg().DeleteRegKey(""); }
  void TearDown() override { TReg().DeleteRegKey(""); }
};

TEST_F(RegistryTest, WrongTypeReadsDefault) {
  TReg reg;
  ASSERT_TRUE(reg.OpenRegKey(""));
  reg.WriteRegString("s", "文本");
  DWORD n = 7;
  HKEY k;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\青禾软件\\青禾播放器", 0, KEY_WRITE, &k), ERROR_SUCCESS);
  RegSetValueExA(k, "dw", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), sizeof n);
  RegSetValueExA(k, "ex", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%"), 7);
  RegCloseKey(k);
  EXPECT_EQ(reg.ReadRegString("s", "d"), "文本");
  EXPECT_EQ(reg.ReadRegString("dw", "d"), "d");
  EXPECT_EQ(reg.ReadRegString("ex", "d"), "d");
  EXPECT_EQ(reg.ReadRegString("none", "d"), "d");
  EXPECT_EQ(reg.ReadRegInteger("dw", -1), 7);
  EXPECT_EQ(reg.ReadRegInteger("s", -1), -1);
  std::vector<std::string> names;
  reg.RegValueNames(names);
  EXPECT_EQ(names.size(), 3u);
}

TEST_F(RegistryTest, VersionRecordAndExitReset) {
  EXPECT_TRUE(WriteVersionRecord("c:\\p\\songdeck.exe", "c:\\p\\"));
  {
    TReg reg;
    ASSERT_TRUE(reg.OpenRegKey(""));
    EXPECT_EQ(reg.ReadRegString("版本", ""), "2.24tm");
    EXPECT_EQ(reg.ReadRegString("执行文件", ""), "c:\\p\\songdeck.exe");
    ASSERT_TRUE(reg.OpenRegKey("设定"));
    EXPECT_EQ(reg.ReadRegString("安装位置", ""), "c:\\p\\");
    reg.WriteRegString("打开位置", "d:\\歌\\");
    reg.WriteRegString("其他", "lost at exit");
    ASSERT_TRUE(reg.OpenRegKey("文件列表\\A"));
    ASSERT_TRUE(reg.OpenRegKey("Internet Explorer"));
    reg.WriteRegString("Filters", "*.mp3;");
  }
  EXPECT_FALSE(WriteVersionRecord("c:\\p\\songdeck.exe", "c:\\p\\"));  // not a first run again

  ResetRegistryKey("c:\\p\\songdeck.exe");
  TReg reg;
  ASSERT_TRUE(reg.OpenRegKey(""));
  std::vector<std::string> names, keys;
  reg.RegValueNames(names);
  reg.RegKeyNames(keys);
  std::sort(names.begin(), names.end());
  std::vector<std::string> record{"版本", "执行文件"};
  std::sort(record.begin(), record.end());
  EXPECT_EQ(names, record);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"Internet Explorer", "设定"}));
  ASSERT_TRUE(reg.OpenRegKey("设定"));
  reg.RegValueNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"打开位置"}));
  EXPECT_EQ(reg.ReadRegString("打开位置", ""), "d:\\歌\\");
  ASSERT_TRUE(reg.OpenRegKey("Internet Explorer"));
  EXPECT_EQ(reg.ReadRegString("Filters", ""), "*.mp3;");
}

TEST_F(RegistryTest, AnyOtherVersionIsAFirstRun) {
  TReg reg;
  ASSERT_TRUE(reg.OpenRegKey(""));
  reg.WriteRegString("版本", "2.23");
  EXPECT_TRUE(WriteVersionRecord("x", "y"));
  EXPECT_FALSE(WriteVersionRecord("x", "y"));
}

// The verb table against a live options object and main window.
class VerbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder();
    Paths() = MakePaths(folder_ + "songdeck.exe");
    option_ = new TOption;
    SetOption(option_);
    ui::Application::Get().SetTitle(kAppTitle);
    SetCurrentEngineSender([this](uint32_t m, intptr_t v) { sent_.push_back({m, v}); });
  }
  void TearDown() override {
    SetCurrentEngineSender({});
    SetShellOpen({});
    SetOption(nullptr);
    delete option_;
    DeleteFileA(Paths().SettingsFile.c_str());
  }
  std::string folder_;
  TOption* option_ = nullptr;
  std::vector<std::pair<uint32_t, intptr_t>> sent_;
};

TEST_F(VerbTest, SwitchVerbs) {
  struct Case {
    const char* verb;
    bool (TOption::*get)() const;
  } verbs[] = {{"#Only", &TOption::Single},         {"#Time", &TOption::RemainingTime},
               {"#Repeat", &TOption::Repeat},       {"#Shuffle", &TOption::Shuffle},
               {"#EQEnabled", &TOption::EQEnabled}, {"#EQAutoSet", &TOption::EQAutoSelect},
               {"#OnTop", &TOption::OnTop}};
  for (const auto& v : verbs) {
    bool start = (option_->*v.get)();
    ExecCommand(v.verb);
    EXPECT_NE((option_->*v.get)(), start) << v.verb;
    ExecCommand(v.verb, "abc");
    EXPECT_EQ((option_->*v.get)(), start) << v.verb;
    ExecCommand(std::string("  ") + v.verb + " ", " 1 ");
    EXPECT_TRUE((option_->*v.get)()) << v.verb;
    ExecCommand(v.verb, "1");
    EXPECT_TRUE((option_->*v.get)()) << v.verb;
    ExecCommand(v.verb, "0");
    EXPECT_FALSE((option_->*v.get)()) << v.verb;
  }
}

TEST_F(VerbTest, SeekingOnlyWhilePlayingOrPaused) {
  option_->SetTotalTime(100);
  option_->SetPosition(90);
  ExecCommand("#Forward", "30");  // stopped: nothing
  EXPECT_TRUE(sent_.empty());
  option_->SetPlayState(kStatePlaying);
  ExecCommand("#Forward", "30");
  option_->SetPlayState(kStatePaused);
  ExecCommand("#FORWARD", "-2");
  ExecCommand("#rewind", "abc");
  option_->SetPlayState(kStateConnecting);
  ExecCommand("#Rewind");
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(sent_[0], (std::pair<uint32_t, intptr_t>{PM_SEEK, 100}));
  EXPECT_EQ(sent_[1], (std::pair<uint32_t, intptr_t>{PM_SEEK, 95}));
  EXPECT_EQ(sent_[2], (std::pair<uint32_t, intptr_t>{PM_SEEK, 85}));
}

TEST_F(VerbTest, PlayPauseFollowsTheState) {
  option_->SetPlayState(kStatePlaying);
  ExecCommand("#PlayPause");
  option_->SetPlayState(kStatePaused);
  ExecCommand("#playpause");
  ASSERT_EQ(sent_.size(), 2u);
  EXPECT_EQ(sent_[0].first, PM_PAUSE);
  option_->SetPlayState(kStateStopped);
  ExecCommand("#PlayPause");  // becomes "#play": no pause message
  EXPECT_EQ(sent_.size(), 2u);
}

TEST_F(VerbTest, VolumeVerbs) {
  VolumeState& v = option_->Volume();
  v.left = v.right = 65000;
  ExecCommand("#SoundUp");
  EXPECT_EQ(v.left, 65535);
  EXPECT_EQ(v.right, 65535);
  v.left = v.right = 500;
  ExecCommand("#SoundDown");
  EXPECT_EQ(v.left, 0);
  EXPECT_EQ(v.right, 0);
  v.left = 1000;
  v.right = 30000;
  ExecCommand("#volleft");
  EXPECT_EQ(v.left, 30000);
  EXPECT_EQ(v.right, 0);
  ExecCommand("#Silent");
  EXPECT_TRUE(v.mute);
  ExecCommand("#Silent", "0");
  EXPECT_FALSE(v.mute);
}

TEST_F(VerbTest, VerbWithoutHashOpensHidden) {
  std::vector<std::string> opened;
  SetShellOpen([&](const std::string& f, const std::string& p, int show) {
    opened.push_back(f + "|" + p + "|" + std::to_string(show));
  });
  ExecCommand(" NotePad.exe ", "C:\\Doc.TXT");
  ExecCommand("#NoSuchVerb", "x");
  ExecCommand("#AddFile", "x");  // known, not built yet: nothing
  EXPECT_EQ(opened, (std::vector<std::string>{"notepad.exe|c:\\doc.txt|0"}));
}

TEST_F(VerbTest, VerbWithoutHashReallyStartsTheProgram) {
  // A program of the system run through the shell: it writes a file we can wait for.
  std::string out = folder_ + "opened.txt";
  DeleteFileA(out.c_str());
  ExecCommand("cmd.exe", "/c echo ran> \"" + out + "\"");
  bool seen = false;
  for (int i = 0; i < 200 && !seen; ++i) {
    Sleep(50);
    seen = GetFileAttributesA(out.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  EXPECT_TRUE(seen);
  DeleteFileA(out.c_str());
}

TEST_F(VerbTest, TheTableListsEveryVerbOnce) {
  std::vector<std::string> seen;
  for (const VerbEntry& e : VerbTable()) {
    std::string v = e.verb;
    EXPECT_EQ(v, NormalizeText(v));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), v), 0) << v;
    seen.push_back(v);
  }
  EXPECT_EQ(seen.front(), "#centerwindow");
  EXPECT_EQ(seen.back(), "#ontop");
}

TEST_F(VerbTest, DeferredCommandsRunInOrderOneAfterTheOther) {
  std::vector<std::string> log;
  DeferredCommands deferred([&](const std::string& v, const std::string& a) {
    log.push_back("begin " + v + " " + a);
    // The first command lets messages run while it works; the second must still wait.
    for (int i = 0; i < 5; ++i) {
      Sleep(2);
      ui::Application::Get().ProcessMessages();
    }
    log.push_back("end " + v);
  });
  std::string engine = "{engine}";
  deferred.Post("#one", "1", &engine);
  EXPECT_TRUE(deferred.Pending());
  EXPECT_TRUE(log.empty());  // nothing runs before the message loop does
  deferred.Post("#two", "2", nullptr);
  DWORD until = GetTickCount() + 3000;
  while (deferred.Pending() && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    ui::Application::Get().ProcessMessages();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"begin #one 1", "end #one", "begin #two 2", "end #two"}));
  EXPECT_EQ(deferred.Sender(), "{engine}");  // the instance path keeps the old sender
}

TEST_F(SettingsTest, OptionsSaveAndLoad) {
  IniFile ini = Settings();
  ini.WriteString("EQ均衡", "位置[X]", "12");  // the equaliser window's position goes at exit
  ini.WriteString("EQ均衡", "EQ[3]", "-40");
  ini.WriteString("播放", "循环", "2");
  ini.WriteString("参数", "打开位置", "c:\\歌\\");
  {
    TOption o;
    o.LoadOptions();
    EXPECT_TRUE(o.Repeat());
    EXPECT_EQ(o.EQBand(3), -40);
    EXPECT_EQ(LastFolder(), "c:\\歌\\");
    o.SetShuffle(true);
  }  // saved when freed
  EXPECT_FALSE(ini.ValueExists("EQ均衡", "位置[X]"));
  EXPECT_EQ(ini.ReadString("EQ均衡", "EQ[3]", ""), "-40");
  EXPECT_EQ(ini.ReadString("EQ均衡", "EQ[19]", ""), "0");
  EXPECT_EQ(ini.ReadString("播放", "循环", ""), "1");
  EXPECT_EQ(ini.ReadString("播放", "随机", ""), "1");
  EXPECT_EQ(ini.ReadString("参数", "使用热键", ""), "0");
}

// Without a skin the binding operations go nowhere; a sink sees every one of them.
class RecordingBindings : public IBindingSink {
 public:
  std::vector<std::string> log;
  void SetBindingState(int kind, int state) override {
    log.push_back(std::to_string(kind) + "=" + std::to_string(state));
  }
  void SetBindingText(int kind, const std::string& text) override {
    log.push_back(std::to_string(kind) + ":" + text);
  }
};

TEST_F(SettingsTest, StateChangesReachTheBindings) {
  RecordingBindings sink;
  SetBindingSink(&sink);
  {
    TOption o;
    o.SetRepeat(true);
    o.SetShuffle(false);
    o.SetOnTop(true);
    o.SetTotalTime(5000);
    o.ShowPosition(4000);
    o.SetPlayState(kStatePaused);
    o.SetPlayState(kStatePlaying);
    o.SetRemainingTime(true);
  }
  SetBindingSink(nullptr);
  EXPECT_EQ(sink.log, (std::vector<std::string>{"9=3", "10=0", "23=1", "14: 1:06:40", "3=0", "4=0", "4=1", "3=0",
                                                "4=0", "3=1", "14:-0:16:40"}));
}

TEST(FolderMasks, FromTheFileTypeBox) {
  struct Case {
    int selected;
    std::string typed;
    size_t count;
    std::string masks, result;
  } cases[] = {
      {-1, "*.mp3", 2, "*.mp3;*.cda;", "*.mp3;"},
      {-1, "", 2, "*.mp3;", "*.*;"},
      {0, "", 2, "*.mp3;*.cda;", "*.mp3;*.cda;;"},
      {1, "", 2, "*.mp3;", "*.*;;"},
      {0, "", 1, "", "*.*;;"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderMaskFor(c.selected, c.typed, c.count, c.masks), c.result);
}

// Library verbs against a library of the player's own kind in a folder of its own.
class LibraryVerbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempFolder() + "lib" + std::to_string(++serial_) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    Paths() = MakePaths(folder_ + "songdeck.exe");
    option_ = std::make_unique<TOption>();
    SetOption(option_.get());
    play_ = CreateLibrary();
    SetLibrary(play_.get());
    option_->Attach(play_.get(), option_.get());
    ui::SetPrompter(&prompter_);
    music_ = folder_ + "音乐\\";
    CreateDirectoryA(music_.c_str(), nullptr);
    for (const char* n : {"a.mp3", "b.wav", "c.txt"}) Touch(music_ + n);
  }
  void TearDown() override {
    ui::SetPrompter(nullptr);
    SetLibrary(nullptr);
    play_.reset();
    SetOption(nullptr);
    option_.reset();
  }
  static void Touch(const std::string& p) {
    HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
  }
  int Count(int category) { return play_->CategoryAt(category).Count; }
  static int serial_;
  std::string folder_, music_;
  std::unique_ptr<TOption> option_;
  std::unique_ptr<TPlay> play_;
  ui::ScriptedPrompter prompter_;
};
int LibraryVerbTest::serial_ = 0;

TEST_F(LibraryVerbTest, OpenDirAddsTheChosenKinds) {
  ui::FolderPickResult all;
  all.folder = music_;
  all.style = 0;  // no engines here: the only item is "所有文件(*.*)"
  prompter_.folders.push_back(all);
  ExecCommand("#OpenDir", music_);
  ASSERT_EQ(prompter_.folderRequests.size(), 1u);
  EXPECT_EQ(prompter_.folderRequests[0].prompt, "选择添加文件夹");
  EXPECT_TRUE(prompter_.folderRequests[0].showFileStyle);
  EXPECT_EQ(prompter_.folderRequests[0].styles.back(), "所有文件(*.*)");
  // Lyrics files go to the lyrics editor like any other path of their kind; the rest is added.
  EXPECT_GE(Count(play_->ViewIndex), 2);
  EXPECT_EQ(LastFolder(), music_);

  ui::FolderPickResult typed;
  typed.folder = music_;
  typed.style = -1;
  typed.typedStyle = "*.wav";
  prompter_.folders.push_back(typed);
  int cat = play_->AddCategory("新类别", -1, 0);
  play_->SetViewCategory(cat);
  ExecCommand("#OpenDir");
  EXPECT_EQ(Count(cat), 1);
  ExecCommand("#OpenDir");  // cancelled: nothing
  EXPECT_EQ(Count(cat), 1);
}

TEST_F(LibraryVerbTest, OpenFileAndAddFile) {
  prompter_.chosen.push_back({music_ + "a.mp3", music_ + "b.wav"});
  ExecCommand("#OpenFile");
  ASSERT_EQ(prompter_.dialogs.size(), 1u);
  EXPECT_EQ(prompter_.dialogs[0].title, "打开媒体文件");
  EXPECT_TRUE(prompter_.dialogs[0].multiple);
  EXPECT_EQ(Count(0), 2);
  EXPECT_EQ(LastFolder(), music_);
  // A locked play category takes nothing.
  play_->MutableCategoryAt(0).Locked = true;
  ExecCommand("#AddFile", music_ + "c.txt");
  EXPECT_EQ(Count(0), 2);
}

TEST_F(LibraryVerbTest, SaveListWritesTheCategoryOrSaysItCannot) {
  ExecCommand("#AddFile", music_ + "a.mp3");
  ExecCommand("#AddFile", music_ + "b.wav");
  std::string list = folder_ + "列表.m3u";
  prompter_.chosen.push_back({list});
  ExecCommand("#SaveList");
  ASSERT_EQ(prompter_.dialogs.size(), 1u);
  EXPECT_TRUE(prompter_.dialogs[0].save);
  EXPECT_EQ(prompter_.dialogs[0].filter, "播放列表(*.M3U)|*.m3u");
  HANDLE h = CreateFileA(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[1024] = {};
  DWORD got = 0;
  ReadFile(h, buf, sizeof buf - 1, &got, nullptr);
  CloseHandle(h);
  EXPECT_EQ(std::string(buf, got), LowerAscii(music_ + "a.mp3") + "\r\n" + LowerAscii(music_ + "b.wav") + "\r\n");
  // A folder that is not there: the message, and nothing written.
  prompter_.chosen.push_back({folder_ + "missing\\x.m3u"});
  ExecCommand("#SaveList", "0");
  ASSERT_FALSE(prompter_.asked.empty());
  EXPECT_EQ(prompter_.asked.back().text, "无法保存文件！");
  EXPECT_EQ(prompter_.asked.back().caption, kAppTitle);
}

// Requests of general plug-ins, with blocks in memory whose addresses fit 32 bits.
class PluginRequestTest : public LibraryVerbTest {
 protected:
  void SetUp() override {
    LibraryVerbTest::SetUp();
    plus_ = std::make_unique<TPlus>();
    SetPlus(plus_.get());
  }
  void TearDown() override {
    SetPlus(nullptr);
    plus_.reset();
    LibraryVerbTest::TearDown();
  }
  uint32_t Low(size_t n) {
    size_t cap = 0;
    uint32_t a = LowArena::Instance().Alloc(n, cap);
    std::memset(LowArena::Pointer(a), 0, n);
    return a;
  }
  uint32_t Text(const std::string& t) {
    uint32_t a = Low(t.size() + 1);
    std::memcpy(LowArena::Pointer(a), t.c_str(), t.size() + 1);
    return a;
  }
  // Runs the verb the way a plug-in's request arrives: deferred, with the sender.
  void Request(const std::string& verb, const std::string& arg, const std::string& sender) {
    PostCommand(verb, arg, &sender);
    DWORD until = GetTickCount() + 3000;
    while (option_->Deferred().Pending() && GetTickCount() < until) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      ui::Application::Get().ProcessMessages();
    }
  }
  uint32_t Block(uint8_t lock, uint32_t name, uint32_t password, int32_t parent, uint8_t kind) {
    uint32_t b = Low(20);
    char* p = LowArena::Pointer(b);
    p[0] = 1;  // External
    p[1] = static_cast<char>(lock);
    p[2] = 1;  // ReadOnly
    std::memcpy(p + 3, &name, 4);
    std::memcpy(p + 7, &password, 4);
    std::memcpy(p + 15, &parent, 4);
    p[19] = static_cast<char>(kind);
    return b;
  }
  int32_t OutId(uint32_t block) {
    int32_t v;
    std::memcpy(&v, LowArena::Pointer(block) + 11, 4);
    return v;
  }
  std::unique_ptr<TPlus> plus_;
};

TEST_F(PluginRequestTest, RegisterCreatesACategoryOfThePlugin) {
  int before = play_->CategoryCount;
  uint32_t b = Block(1, Text("插件类别"), Text(" pw "), -1, 1);
  Request("#register", std::to_string(b), kMpegGuid);
  ASSERT_EQ(play_->CategoryCount, before + 1);
  const TPlayList& c = play_->CategoryAt(before);
  EXPECT_EQ(c.Name, "插件类别");
  EXPECT_FALSE(c.Editable);
  EXPECT_TRUE(c.External);
  EXPECT_TRUE(c.ReadOnly);
  EXPECT_TRUE(c.Locked);
  EXPECT_EQ(OutId(b), play_->LastId);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(PluginRequestTest, RegisterRefusals) {
  int before = play_->CategoryCount;
  struct Case {
    uint32_t name;
    int32_t parent;
    std::string sender;
  } cases[] = {
      {1, 1, kMpegGuid},                                  // parent 1 (the CD list)
      {1, 99, kMpegGuid},                                 // no such parent
      {0, -1, kMpegGuid},                                 // no name
      {1, -1, "{NOT-AN-ENGINE}"},                         // not an engine of ours
  };
  for (const auto& c : cases) {
    uint32_t b = Block(0, c.name ? Text("x") : 0, 0, c.parent, 0);
    Request("#register", std::to_string(b), c.sender);
    EXPECT_EQ(play_->CategoryCount, before) << c.parent;
    if (c.sender == kMpegGuid) EXPECT_EQ(OutId(b), -1);
  }
  Request("#register", "abc", kMpegGuid);
  Request("#register", "0", kMpegGuid);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(PluginRequestTest, UnreadableBlocksShowTheMessage) {
  int before = play_->CategoryCount;
  Request("#register", "16", kMpegGuid);  // nothing is mapped there
  uint32_t b = Block(0, 32, 0, -1, 0);    // a name nobody can read
  Request("#register", std::to_string(b), kMpegGuid);
  EXPECT_EQ(play_->CategoryCount, before);
  ASSERT_EQ(prompter_.asked.size(), 2u);
  EXPECT_EQ(prompter_.asked[0].text, "插件 MPEG播放插件  -  内部插件 出现错误!, 请与插件供应者联系。");
  EXPECT_EQ(prompter_.asked[0].flags & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(PluginRequestTest, CtrlListReplacesTheEntries) {
  int cat = play_->AddCategory("列表", -1, 0);
  int id = play_->LastId;
  ExecCommand("#AddFile", music_ + "c.txt");
  play_->BeginAdd();
  play_->AddFile(music_ + "b.wav", cat);
  play_->EndAdd(cat);
  uint32_t names = Low(8);
  uint32_t n1 = Text(music_ + "a.mp3"), n2 = Text(music_ + "b.wav");
  std::memcpy(LowArena::Pointer(names), &n1, 4);
  std::memcpy(LowArena::Pointer(names) + 4, &n2, 4);
  uint32_t block = Low(12);
  int32_t count = 2;
  std::memcpy(LowArena::Pointer(block), &id, 4);
  std::memcpy(LowArena::Pointer(block) + 4, &count, 4);
  std::memcpy(LowArena::Pointer(block) + 8, &names, 4);
  Request("#ctrllist", std::to_string(block), kMpegGuid);
  ASSERT_EQ(Count(cat), 2);
  EXPECT_EQ(play_->CategoryAt(cat).Items[0].FileName, music_ + "a.mp3");  // as the plug-in named it
  // An array that cannot be read: the message, and the entries stay as they were.
  uint32_t bad = 48;
  std::memcpy(LowArena::Pointer(block) + 8, &bad, 4);
  Request("#ctrllist", std::to_string(block), kMpegGuid);
  EXPECT_EQ(Count(cat), 2);
  EXPECT_EQ(prompter_.asked.size(), 1u);
}

TEST_F(PluginRequestTest, UnregisterKeepsBuiltInsAndParents) {
  int parent = play_->AddCategory("父", -1, 0);
  int parentId = play_->LastId;
  play_->AddCategory("子", parent, 0);
  int childId = play_->LastId;
  int before = play_->CategoryCount;
  for (const std::string& arg : {std::string("0"), std::string("1"), std::to_string(parentId), std::string("x")}) {
    Request("#unregister", arg, "anyone");
    EXPECT_EQ(play_->CategoryCount, before) << arg;
  }
  Request("#unregister", std::to_string(childId), "anyone");
  EXPECT_EQ(play_->CategoryCount, before - 1);
  Request("#unregister", std::to_string(parentId), "anyone");
  EXPECT_EQ(play_->CategoryCount, before - 2);
}

}  // namespace
}  // namespace sd
