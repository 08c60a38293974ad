// The library on the real file system under Windows (Wine): short names and listing order
// are the system's own, so expected values are computed with the system calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/text.h"
#include "library/play.h"
#include "library/profile.h"
#include "library/win32_fs.h"

namespace sd {
namespace {

std::string TempFolder(const char* name) {
  char buf[MAX_PATH];
  GetTempPathA(MAX_PATH, buf);
  std::string dir = WithBackslash(buf) + name + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

void PutFile(const std::string& path, const std::string& data) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  if (!data.empty()) ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
  CloseHandle(h);
}

std::string GetFile(const std::string& path) {
  Win32FileSystem fs;
  std::string data;
  ReadWholeFile(fs, path, data, 1u << 30);
  return data;
}

std::string SystemKey(const std::string& path) {
  char buf[MAX_PATH];
  DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
  return LowerAscii(n ? std::string(buf, n) : path);
}

// Breadth-first file order as FindFirstFileA gives it.
void SystemWalk(const std::string& root, std::vector<std::string>& out) {
  std::vector<std::string> folders{root};
  for (size_t i = 0; i < folders.size(); ++i) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folders[i] + "*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      std::string n = fd.cFileName;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (n != "." && n != "..") folders.push_back(folders[i] + n + "\\");
      } else if (LowerAscii(ExtractFileExt(n)) == ".mp3") {
        out.push_back(folders[i] + n);
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
}

TEST(Win32Library, KeysAndFolderOrderAreTheSystems) {
  const std::string dir = TempFolder("sdlib");
  CreateDirectoryA((dir + "Second Folder Long").c_str(), nullptr);
  CreateDirectoryA((dir + "First Folder Long").c_str(), nullptr);
  for (const char* f : {"Zebra Song Long Name.mp3", "alpha song long name.MP3", "skip.wav",
                        "First Folder Long\\Inner One Long.mp3", "Second Folder Long\\Inner Two Long.mp3"})
    PutFile(dir + f, "x");
  Win32FileSystem fs;
  TPlaySeams seams;
  seams.fs = &fs;
  TPlay p(seams);
  p.BeginAdd();
  p.FolderMasks = "*.mp3";
  p.AddFile(dir, -1);
  std::vector<std::string> expect;
  SystemWalk(dir, expect);
  ASSERT_EQ(expect.size(), 4u);
  std::vector<std::string> names, keys;
  for (const auto& e : p.CategoryAt(0).Items) {
    names.push_back(e.FileName);
    EXPECT_EQ(e.FileKey, SystemKey(e.FileName));
    EXPECT_FALSE(e.Failed);
  }
  EXPECT_EQ(names, expect);
  // A long name and its short form are one song.
  EXPECT_FALSE(p.AddFile(SystemKey(dir + "Zebra Song Long Name.mp3"), -1));
  EXPECT_TRUE(p.AddFile(dir + "Not There.mp3", -1));
  EXPECT_EQ(p.CategoryAt(0).Items.back().FileKey, LowerAscii(dir + "Not There.mp3"));
  EXPECT_TRUE(p.CategoryAt(0).Items.back().Failed);
}

TEST(Win32Library, AJunctionToItsOwnParentIsNotWalkedAgain) {
  const std::string dir = TempFolder("sdlink");
  PutFile(dir + "song.mp3", "x");
  const std::string link = dir + "loop";
  if (!CreateSymbolicLinkA(link.c_str(), dir.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this system makes no folder links";
  Win32FileSystem fs;
  std::vector<FolderItem> items;
  ASSERT_TRUE(fs.ListFolder(dir, items));
  auto it = std::find_if(items.begin(), items.end(), [](const FolderItem& i) { return i.name == "loop"; });
  std::string listed;
  for (const auto& i : items) listed += i.name + (i.folder ? "/" : "") + (i.link ? "@" : "") + " ";
  ASSERT_NE(it, items.end()) << listed << " attr " << GetFileAttributesA(link.c_str());
  EXPECT_TRUE(it->folder && it->link) << listed;
  TPlaySeams seams;
  seams.fs = &fs;
  TPlay p(seams);
  p.AddFile(dir, -1);
  std::vector<std::string> names;
  for (const auto& e : p.CategoryAt(0).Items) names.push_back(e.FileName);
  EXPECT_EQ(names, (std::vector<std::string>{dir + "song.mp3"}));
  RemoveDirectoryA(link.c_str());
}

TEST(Win32Library, ATagWaitsWhileTheEngineHoldsTheFile) {
  const std::string dir = TempFolder("sdtag");
  const std::string song = dir + "Held Song.mp3";
  PutFile(song, std::string(1000, 'a'));
  Win32FileSystem fs;
  TPlaySeams seams;
  seams.fs = &fs;
  TPlay p(seams);
  p.AddFile(song, 0);
  HANDLE engine = CreateFileA(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(engine, INVALID_HANDLE_VALUE);
  TTagRec t;
  t.FileKey = SystemKey(song);
  t.Tag.Title = "Held";
  p.StoreTag(t);
  EXPECT_EQ(p.PendingCount, 1);
  TTagRec got;
  ASSERT_TRUE(p.GetTag(t.FileKey, got));  // read while held: the queued row
  EXPECT_EQ(got.Tag.Title, "Held");
  EXPECT_EQ(GetFile(song).size(), 1000u);
  CloseHandle(engine);
  p.FlushTags();
  EXPECT_EQ(p.PendingCount, 0);
  std::string data = GetFile(song);
  ASSERT_EQ(data.size(), 1164u);
  EXPECT_EQ(data.substr(0, 1000), std::string(1000, 'a'));
  ASSERT_TRUE(ReadTagFile(fs, song, got));
  EXPECT_EQ(got.Tag.Title, "Held");
}

TEST(Win32Library, TheSystemsProfileFunctionsReadTheLibraryFile) {
  const std::string dir = TempFolder("sdini");
  const std::string lib = dir + "default.ini";
  Win32FileSystem fs;
  TPlaySeams seams;
  seams.fs = &fs;
  seams.library_file = lib;
  {
    TPlay p(seams);
    p.AddFile("c:\\歌曲\\一.mp3", 0);
    int a = p.AddCategory("专辑", -1, 2);
    p.MutableCategoryAt(a).Password = "pw";
    int b = p.AddCategory(" B ", a, 1);
    p.AddFile("c:\\b.mp3", b);
    ASSERT_TRUE(p.SaveCategories());
  }
  char buf[4096];
  DWORD n = GetPrivateProfileSectionNamesA(buf, sizeof buf, lib.c_str());
  std::vector<std::string> sections;
  for (const char* s = buf; s < buf + n && *s; s += std::strlen(s) + 1) sections.push_back(s);
  EXPECT_EQ(sections, (std::vector<std::string>{"标准", "类型(0)", "类型(1)"}));
  auto value = [&](const char* section, const char* key) {
    GetPrivateProfileStringA(section, key, "?", buf, sizeof buf, lib.c_str());
    return std::string(buf);
  };
  EXPECT_EQ(value("类型(0)", "Name"), "专辑");
  EXPECT_EQ(value("类型(0)", "password"), "pw");
  EXPECT_EQ(value("类型(0)", "Style"), "2");
  EXPECT_EQ(value("类型(1)", "Parent"), "2");
  EXPECT_EQ(value("类型(1)", "Name"), " B ");  // quoted, so the blanks survive
  EXPECT_EQ(value("标准", "password"), "");
  EXPECT_EQ(value("标准", "c:\\歌曲\\一.mp3"), "");
  // And a file the system writes key by key loads.
  DeleteFileA(lib.c_str());
  WritePrivateProfileStringA("标准", "password", "", lib.c_str());
  WritePrivateProfileStringA("标准", "c:\\x.mp3", "", lib.c_str());
  WritePrivateProfileStringA("类型(0)", "Name", "甲", lib.c_str());
  WritePrivateProfileStringA("类型(0)", "Parent", "-1", lib.c_str());
  WritePrivateProfileStringA("类型(0)", "c:\\y.mp3", "", lib.c_str());
  TPlay q(seams);
  q.LoadCategories();
  ASSERT_EQ(q.CategoryCount, 3);
  EXPECT_EQ(q.CategoryAt(0).Items.at(0).FileName, "c:\\x.mp3");
  EXPECT_EQ(q.CategoryAt(2).Name, "甲");
  EXPECT_EQ(q.CategoryAt(2).Items.at(0).FileName, "c:\\y.mp3");
}

TEST(Win32Library, OurProfileReaderAgreesWithTheSystems) {
  const std::string dir = TempFolder("sdagree");
  const std::string file = dir + "tricky.ini";
  PutFile(file,
          "; comment\r\n\r\n[ Sec ]\r\n  Key = value with blanks  \r\nQ=\"quoted\"\r\nS='single'\r\n"
          "Half=\"open\r\nkey=second of the same name\r\nEmpty=\r\n[sec]\r\nLater=1\r\n"
          "[类型(0)]\r\nName=专辑\r\nc:\\歌\\a.mp3=\r\n");
  std::string text = GetFile(file);
  auto sections = ParseProfile(text);
  struct Case {
    const char* section;
    const char* key;
  } cases[] = {{"Sec", "Key"}, {"sec", "KEY"}, {"Sec", "Q"},   {"Sec", "S"},        {"Sec", "Half"},
               {"Sec", "Empty"}, {"SEC", "Later"}, {"类型(0)", "Name"}, {"类型(0)", "c:\\歌\\a.mp3"}};
  for (const Case& c : cases) {
    char buf[512];
    GetPrivateProfileStringA(c.section, c.key, "<none>", buf, sizeof buf, file.c_str());
    std::string ours = "<none>";
    for (const auto& sec : sections)
      if (SameKeyName(sec.name, c.section) && sec.Has(c.key)) ours = std::string(sec.Value(c.key));
    EXPECT_EQ(ours, buf) << c.section << " / " << c.key;
  }
}

// Saves a large library again and again until killed; run by the next test as a child.
TEST(Win32Library, ChildSavesUntilKilled) {
  const char* target = std::getenv("SD_SAVE_TARGET");
  if (!target) GTEST_SKIP() << "runs as the child of SaveKilledAtAnyMomentLeavesAWholeLibrary";
  Win32FileSystem fs;
  TPlaySeams seams;
  seams.fs = &fs;
  seams.library_file = target;
  TPlay p(seams);
  for (int c = 0; c < 20; ++c) {
    int i = p.AddCategory("c" + std::to_string(c), -1, 0);
    for (int e = 0; e < 1000; ++e) p.AddFile("c:\\m\\" + std::to_string(c) + "\\" + std::to_string(e) + ".mp3", i);
  }
  for (;;) p.SaveCategories();
}

bool WholeLibrary(const std::string& text) {
  auto sections = ParseProfile(text);
  if (sections.size() != 21) return false;
  for (size_t s = 1; s < sections.size(); ++s)
    if (sections[s].keys.size() != 1003) return false;
  return true;
}

TEST(Win32Library, SaveKilledAtAnyMomentLeavesAWholeLibrary) {
  const std::string dir = TempFolder("sdkill");
  const std::string lib = dir + "default.ini";
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  SetEnvironmentVariableA("SD_SAVE_TARGET", lib.c_str());
  for (int round = 0; round < 4; ++round) {
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=Win32Library.ChildSavesUntilKilled";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    // Wait until the child has saved at least once, then kill it at some moment of a save.
    for (int i = 0; i < 400 && GetFileAttributesA(lib.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(25);
    Sleep(37 * round + 11);
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(WholeLibrary(GetFile(lib))) << "round " << round;
  }
  SetEnvironmentVariableA("SD_SAVE_TARGET", nullptr);
}

}  // namespace
}  // namespace sd
