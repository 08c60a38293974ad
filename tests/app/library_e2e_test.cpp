// The real program keeps its library between runs in "default.ini".
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "tests/app/e2e_support.h"

namespace {

class LibraryE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::DeleteProgramKey();
    e2e::SeedVersionRecord();
    folder_ = e2e::MakeTempFolder("library");
    ASSERT_TRUE(e2e::CopyProgram(folder_));
    music_ = folder_ + "音乐\\";
    CreateDirectoryA(music_.c_str(), nullptr);
    CreateDirectoryA((music_ + "专辑").c_str(), nullptr);
  }
  void TearDown() override {
    e2e::RemoveTree(folder_);
    e2e::DeleteProgramKey();
  }
  // Starts the player, waits for its window, closes it and waits for the end.
  void RunAndClose(const std::vector<std::string>& args) {
    e2e::Process p;
    ASSERT_TRUE(p.Start(folder_ + "songdeck.exe", args));
    HWND w = nullptr;
    ASSERT_TRUE(e2e::PumpUntil(20000, [&] { return (w = FindWindowA("ZEDIROdedaroriz", nullptr)) != nullptr; }));
    PostMessageA(w, WM_CLOSE, 0, 0);
    ASSERT_EQ(p.Wait(20000), 0);
  }
  std::string folder_, music_;
};

TEST_F(LibraryE2E, SongsListAndFolderSurviveARestart) {
  std::string song1 = music_ + "Song1.mp3", song2 = music_ + "歌曲2.mp3", missing = music_ + "missing.mp3";
  std::string song3 = music_ + "song3.mp3", song4 = music_ + "song4.mp3";
  for (const std::string& s : {song1, song2, song3, song4}) e2e::WriteBytes(s, std::string(1000, 'x'));
  e2e::WriteBytes(music_ + "专辑\\a.mp3", std::string(1000, 'x'));
  e2e::WriteBytes(music_ + "专辑\\b.mp3", std::string(1000, 'x'));
  std::string list = music_ + "list.m3u";
  e2e::WriteBytes(list, song3 + "\r\n" + song4 + "\r\n");

  RunAndClose({song1, song2, missing, list, music_ + "专辑"});

  std::string ini = folder_ + "default.ini";
  ASSERT_EQ(e2e::IniSections(ini), std::vector<std::string>{"标准"});
  // Arguments reach the library in lower case, so the stored paths are lower case; the
  // folder's files come in the order the file system lists them.
  std::vector<std::string> expected = {"password"};
  for (const std::string& s : {song1, song2, missing, song3, song4}) expected.push_back(sd::LowerAscii(s));
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((music_ + "专辑\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      expected.push_back(sd::LowerAscii(music_ + "专辑\\") + sd::LowerAscii(fd.cFileName));
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::vector<std::string> keys = e2e::IniKeys(ini, "标准");
  std::vector<std::string> lowered;
  for (const std::string& k : keys) lowered.push_back(sd::LowerAscii(k));
  EXPECT_EQ(lowered, expected);
  std::string first = e2e::ReadAll(ini);

  // Started again without arguments: the same library is back and saved the same way.
  RunAndClose({});
  EXPECT_EQ(e2e::ReadAll(ini), first);
}

}  // namespace
