// The real program watches the CD drives: drive r: of the test session's Wine prefix is a
// folder with the drive type "cdrom" (tools/wine-env.sh, SD_TEST_CDROM). While the folder is
// missing the drive reports no size and no root, as an empty drive does; making the folder
// with its ".cda" track files puts a disc in, removing it takes the disc out.
//
// "CD Audio" is never written to the library file, so the tests watch two other things:
// - every add operation of the watch ends with a library save, which writes "default.ini";
//   with the file deleted beforehand, its return shows that the watch took a disc in (and,
//   for a second disc, that it had seen the first one go: a drive whose disc it still
//   counts as present is not looked at again);
// - with "CD Audio" as the play category, "#Play" without a file (an instance message, as
//   a second start sends it) plays the category's first entry, which must be the first
//   track the system lists; the play is counted under the track's key in "count.dat".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/instance_msg.h"
#include "core/text.h"
#include "tests/app/e2e_support.h"

namespace {

const char kDrive[] = "r:\\";

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = sd::FindText(text, what); at != std::string::npos; at = sd::FindText(text, what, at + 1)) ++n;
  return n;
}

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The drive's folder as the Windows side sees it through drive Z:.
std::string DiscFolder() {
  const char* unix = std::getenv("SD_TEST_CDROM");
  if (!unix || !*unix) return {};
  std::string w = std::string("Z:") + unix;
  for (char& c : w)
    if (c == '/') c = '\\';
  return sd::WithBackslash(w);
}

// The plays counted so far are the disc's first tracks in the order the system lists them
// (the device cannot play under Wine, so it may stay on the first one or go on).
void ExpectPlayedInDiscOrder(const std::string& counts, const std::vector<std::string>& tracks) {
  std::vector<std::string> played = e2e::IniKeys(counts, "播放文件");
  ASSERT_FALSE(played.empty());
  ASSERT_LE(played.size(), tracks.size());
  for (size_t i = 0; i < played.size(); ++i) EXPECT_EQ(played[i], e2e::FileKey(tracks[i])) << "play " << i;
}

class CdE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    disc_ = DiscFolder();
    if (disc_.empty()) GTEST_SKIP() << "no test CD drive (SD_TEST_CDROM) in this session";
    e2e::RemoveTree(disc_);
    ASSERT_EQ(GetDriveTypeA(kDrive), static_cast<UINT>(DRIVE_CDROM));
    e2e::DeleteProgramKey();
    e2e::SeedVersionRecord();
    folder_ = e2e::MakeTempFolder("cd");
    ASSERT_TRUE(e2e::CopyProgram(folder_));
    // "CD Audio" is the play category.
    WritePrivateProfileStringA("参数", "选择类别", "1", (folder_ + "Options.ini").c_str());
  }
  void TearDown() override {
    player_.Kill();
    if (!disc_.empty()) e2e::RemoveTree(disc_);
    if (!folder_.empty()) e2e::RemoveTree(folder_);
    e2e::DeleteProgramKey();
  }

  // Puts a disc of n tracks in; returns the track files in the order the system lists them.
  std::vector<std::string> InsertDisc(int n) {
    std::vector<std::string> listed;
    if (!CreateDirectoryA(disc_.c_str(), nullptr)) return listed;
    for (int i = 1; i <= n; ++i) {
      char name[32];
      wsprintfA(name, "Track%02d.cda", i);
      HANDLE f = CreateFileA((std::string(kDrive) + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (f == INVALID_HANDLE_VALUE) return {};
      DWORD put = 0;
      WriteFile(f, "RIFF", 4, &put, nullptr);
      CloseHandle(f);
    }
    for (const std::string& name : e2e::ListFolder(kDrive))
      if (sd::TextEquals(sd::ExtractFileExt(name), ".cda")) listed.push_back(std::string(kDrive) + name);
    return listed;
  }
  void TakeDiscOut() { e2e::RemoveTree(disc_); }

  std::string Library() const { return folder_ + "default.ini"; }
  int Total() { return e2e::IniInt(folder_ + "Options.ini", "播放", "播放总数"); }
  // Waits long enough for several ticks of the watch.
  static void LetTheWatchRun() { e2e::PumpUntil(1500, [] { return false; }); }

  bool SendPlay() {
    HWND w = FindWindowA("ZEDIROdedaroriz", nullptr);
    if (!w) return false;
    char empty[1] = {0};
    COPYDATASTRUCT cds = {};
    cds.cbData = 1;
    cds.lpData = empty;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(w, WM_COPYDATA, sd::kInstPlay, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000,
                               &result) != 0;
  }
  void StartPlayer() {
    ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {}));
    // Started: the window is there and the library has been saved once after loading.
    ASSERT_TRUE(e2e::PumpUntil(20000, [&] { return FindWindowA("ZEDIROdedaroriz", nullptr) && FileExists(Library()); }));
    LetTheWatchRun();
  }
  void Close() {
    HWND w = FindWindowA("ZEDIROdedaroriz", nullptr);
    ASSERT_TRUE(w);
    PostMessageA(w, WM_CLOSE, 0, 0);
    ASSERT_EQ(player_.Wait(20000), 0);
  }

  std::string disc_, folder_;
  e2e::Process player_;
};

TEST_F(CdE2E, ADiscPutInFillsCdAudioAndTakingItOutIsNoticed) {
  StartPlayer();
  // No disc: the watch adds nothing and saves nothing.
  ASSERT_TRUE(DeleteFileA(Library().c_str()));
  LetTheWatchRun();
  EXPECT_FALSE(FileExists(Library()));

  std::vector<std::string> tracks = InsertDisc(12);
  ASSERT_EQ(tracks.size(), 12u);
  ASSERT_TRUE(e2e::PumpUntil(10000, [&] { return FileExists(Library()); })) << "the disc was not taken in";
  ASSERT_TRUE(SendPlay());
  const std::string counts = folder_ + "count.dat";
  ASSERT_TRUE(e2e::PumpUntil(10000, [&] { return !e2e::IniKeys(counts, "播放文件").empty(); }))
      << "nothing of \"CD Audio\" played";
  ExpectPlayedInDiscOrder(counts, tracks);
  EXPECT_EQ(e2e::IniInt(counts, "播放文件", e2e::FileKey(tracks[0])), 1);
  EXPECT_EQ(e2e::FileKey(tracks[0]), "r:\\" + sd::LowerAscii(sd::ExtractFileName(tracks[0])));

  // Out, and a second disc in: taken in only once the first one was seen to go.
  TakeDiscOut();
  LetTheWatchRun();
  ASSERT_TRUE(DeleteFileA(Library().c_str()));
  ASSERT_EQ(InsertDisc(3).size(), 3u);
  EXPECT_TRUE(e2e::PumpUntil(10000, [&] { return FileExists(Library()); })) << "the second disc was not taken in";
  Close();
  // The tracks are never written to the library file.
  EXPECT_EQ(sd::FindText(sd::LowerAscii(e2e::ReadAll(Library())), "r:\\"), std::string::npos) << e2e::ReadAll(Library());
}

// A disc in the drive when the player starts is found while the library is still loading
// (adding lets the watch's timer run), so its add operation runs inside the load and must
// leave the saving to the load's end. (Reading the library file while the program loads
// stalls under Wine for seconds, so the test looks at the outcome, not at the file on the
// way.) The library keeps every song, none of the disc's tracks is written to it, and the
// disc is in "CD Audio" all the same.
TEST_F(CdE2E, ADiscFoundWhileTheLibraryLoadsIsTakenInAndTheLibraryKept) {
  constexpr size_t kSongs = 20000;
  std::string library = "[标准]\r\n";
  for (size_t i = 0; i < kSongs; ++i) library += "C:\\songs\\song" + std::to_string(i) + ".mp3=\r\n";
  ASSERT_TRUE(e2e::WriteBytes(Library(), library));
  std::vector<std::string> tracks = InsertDisc(12);
  ASSERT_EQ(tracks.size(), 12u);

  ASSERT_TRUE(player_.Start(folder_ + "songdeck.exe", {}));
  ASSERT_TRUE(e2e::PumpUntil(60000, [] { return FindWindowA("ZEDIROdedaroriz", nullptr) != nullptr; }));
  LetTheWatchRun();
  ASSERT_TRUE(SendPlay());
  const std::string counts = folder_ + "count.dat";
  ASSERT_TRUE(e2e::PumpUntil(10000, [&] { return !e2e::IniKeys(counts, "播放文件").empty(); }))
      << "nothing of \"CD Audio\" played";
  ExpectPlayedInDiscOrder(counts, tracks);
  Close();
  const std::string saved = e2e::ReadAll(Library());
  EXPECT_EQ(Occurrences(saved, ".mp3"), kSongs);
  EXPECT_EQ(sd::FindText(sd::LowerAscii(saved), "r:\\"), std::string::npos);
}

}  // namespace
