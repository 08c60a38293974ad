// The platform-free core: dispatcher matching, switch and seek arithmetic, volume verbs,
// instance messages, file kinds and paths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/dispatcher.h"
#include "core/file_kind.h"
#include "core/instance_msg.h"
#include "core/paths.h"
#include "core/volume.h"

namespace sd {
namespace {

std::vector<std::pair<std::string, std::string>> g_ran;
void RecordA(const std::string& arg) { g_ran.push_back({"a", arg}); }
void RecordPlay(const std::string& arg) { g_ran.push_back({"play", arg}); }
void RecordPause(const std::string& arg) { g_ran.push_back({"pause", arg}); }
const char* ToPause() { return "#pause"; }

const VerbEntry kTable[] = {
    {"#a", RecordA, nullptr},
    {"#known", nullptr, nullptr},
    {"#playpause", nullptr, ToPause},
    {"#play", RecordPlay, nullptr},
    {"#pause", RecordPause, nullptr},
};

struct DispatchCase {
  std::string verb, arg;
  std::vector<std::pair<std::string, std::string>> ran;
  std::vector<std::pair<std::string, std::string>> opened;
};

TEST(Dispatch, NormalisesVerbAndArgument) {
  const std::string gbkTrailA = "\x81\x41";  // a GBK character whose trail byte is 'A'
  const DispatchCase cases[] = {
      {"#A", "", {{"a", ""}}, {}},
      {"  #a\t", "  DEFAULT ", {{"a", "default"}}, {}},
      {"\r\n#A\x01", "C:\\Music\\" + gbkTrailA + "X.MP3", {{"a", "c:\\music\\" + gbkTrailA + "x.mp3"}}, {}},
      {"#PLAYPAUSE", "x", {{"pause", "x"}}, {}},
      {"#known", "x", {}, {}},
      {"#unknown", "x", {}, {}},
      {"", "x", {}, {}},
      {"   ", "x", {}, {}},
      {"NotePad.EXE", " Doc.TXT ", {}, {{"notepad.exe", "doc.txt"}}},
  };
  for (const auto& c : cases) {
    g_ran.clear();
    std::vector<std::pair<std::string, std::string>> opened;
    Dispatch(kTable, c.verb, c.arg,
             [&](const std::string& f, const std::string& p) { opened.push_back({f, p}); });
    EXPECT_EQ(g_ran, c.ran) << c.verb;
    EXPECT_EQ(opened, c.opened) << c.verb;
  }
}

TEST(Dispatch, SwitchArgument) {
  struct Case {
    std::string arg;
    bool current, result;
  } cases[] = {
      {"", false, true}, {"", true, false}, {"0", true, false}, {"0", false, false},
      {"1", false, true}, {"1", true, true}, {"2", false, true}, {"abc", true, false},
      {"-1", false, true},
  };
  for (const auto& c : cases) EXPECT_EQ(SwitchValue(c.arg, c.current), c.result) << c.arg << c.current;
}

TEST(Dispatch, SeekTargets) {
  struct Case {
    bool forward;
    std::string arg;
    int position, total, target;
  } cases[] = {
      {true, "", 10, 100, 15},    {true, "-3", 10, 100, 15}, {true, "abc", 10, 100, 15},
      {true, "30", 90, 100, 100}, {true, "7", 10, 100, 17},  {false, "", 10, 100, 5},
      {false, "30", 10, 100, 0},  {false, "0", 3, 100, 0},   {true, "5", 0, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SeekTarget(c.forward, c.arg, c.position, c.total), c.target) << c.arg << " at " << c.position;
}

TEST(Volume, Verbs) {
  VolumeState v;
  v.left = v.right = 65000;
  EXPECT_EQ(SoundUp(v).left, 65535);
  EXPECT_EQ(SoundUp(v).right, 65535);
  v.left = v.right = 500;
  EXPECT_EQ(SoundDown(v).left, 0);
  EXPECT_EQ(SoundDown(v).right, 0);
  v.left = 1000;
  v.right = 30000;
  EXPECT_EQ(VolLeft(v).left, 30000);
  EXPECT_EQ(VolLeft(v).right, 0);
  EXPECT_EQ(VolRight(v).left, 0);
  EXPECT_EQ(VolRight(v).right, 30000);
  EXPECT_EQ(VolCenter(v).left, 30000);
  EXPECT_EQ(VolCenter(v).right, 30000);
  EXPECT_EQ(CenteredOffset(1280, 300), 490);
  EXPECT_EQ(CenteredOffset(200, 300), 0);
}

TEST(FileKinds, ByExtension) {
  struct Case {
    const char* ext;
    int kind;
  } cases[] = {{".eks", 1}, {".pis", 2}, {".lrc", 3}, {".txt", 3}, {".m3u", 4},
               {".mp3", 0}, {"", 0},     {".LRC", 0}, {"lrc", 0}};
  for (const auto& c : cases) EXPECT_EQ(FileKind(c.ext), c.kind) << c.ext;
}

TEST(Paths, DerivedFromTheProgramFolder) {
  AppPaths p = MakePaths("C:\\Program Files\\songdeck\\songdeck.exe");
  EXPECT_EQ(p.AppFolder, "C:\\Program Files\\songdeck\\");
  EXPECT_EQ(p.LyricsFolder, "C:\\Program Files\\songdeck\\Lyrics\\");
  EXPECT_EQ(p.PluginFolder, "C:\\Program Files\\songdeck\\Ruvudo\\");
  EXPECT_EQ(p.PresetFolder, "C:\\Program Files\\songdeck\\EQPro\\");
  EXPECT_EQ(p.SkinFolder, "C:\\Program Files\\songdeck\\Skins\\");
  EXPECT_EQ(p.LibraryFile, "C:\\Program Files\\songdeck\\default.ini");
  AppPaths root = MakePaths("D:\\songdeck.exe");
  EXPECT_EQ(root.AppFolder, "D:\\");
  EXPECT_EQ(root.SettingsFile, "D:\\Options.ini");
  EXPECT_EQ(root.CountFile, "D:\\count.dat");
}

TEST(InstanceMessages, PlanForArguments) {
  using M = InstanceMessage;
  struct Case {
    std::vector<std::string> args;
    std::vector<M> plan;
  } cases[] = {
      {{}, {{kInstNormal, "", false}}},
      {{"a.mp3", "s.eks", "b.mp3"},
       {{kInstAddFile, "a.mp3", true}, {kInstAddFile, "b.mp3", true}, {kInstSkin, "s.eks", true},
        {kInstPlay, "b.mp3", true}}},
      {{"a.mp3", "b.mp3", "l.LRC"},
       {{kInstAddFile, "a.mp3", true}, {kInstAddFile, "b.mp3", true}, {kInstEditLyrics, "l.LRC", true},
        {kInstPlay, "b.mp3", true}}},
      {{"x.pis", "1.eks", "y.PIS", "2.eks", "list.m3u"},
       {{kInstAddFile, "list.m3u", true}, {kInstSkin, "2.eks", true}, {kInstInstallPlus, "y.PIS", true},
        {kInstPlay, "list.m3u", true}}},
      {{"only.eks"}, {{kInstSkin, "only.eks", true}}},
  };
  for (const auto& c : cases) EXPECT_EQ(PlanForwarding(c.args), c.plan);
}

TEST(InstanceMessages, HostileBlocksAreIgnored) {
  std::string verb, arg;
  const char good[] = "c:\\a.mp3";
  EXPECT_TRUE(DecodeInstanceMessage(2, true, 0, good, sizeof good, verb, arg));
  EXPECT_EQ(verb, "#AddFile");
  EXPECT_EQ(arg, "c:\\a.mp3");
  EXPECT_TRUE(DecodeInstanceMessage(6, false, 0, nullptr, 0, verb, arg));
  EXPECT_EQ(verb, "#Normal");
  EXPECT_EQ(arg, "");

  struct Case {
    uintptr_t wparam;
    bool hasBlock;
    uintptr_t tag;
    const void* data;
    uint32_t size;
  } bad[] = {
      {0, true, 0, good, sizeof good},
      {7, true, 0, good, sizeof good},
      {reinterpret_cast<uintptr_t>("#Play"), true, 0, good, sizeof good},  // an address, not a number
      {2, true, 0, good, sizeof good - 1},                               // no NUL at the end
      {2, true, 0, good, 4},                                             // cut short
      {2, true, 0, "ab\0cd", 6},                                         // NUL inside
      {2, true, 0, nullptr, 10},
      {2, true, 0, good, 0},
      {2, true, 77, good, sizeof good},
  };
  for (const auto& c : bad) {
    verb = "unchanged";
    EXPECT_FALSE(DecodeInstanceMessage(c.wparam, c.hasBlock, c.tag, c.data, c.size, verb, arg)) << c.wparam;
    EXPECT_EQ(verb, "unchanged");
  }
}

}  // namespace
}  // namespace sd
