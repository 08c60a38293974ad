// The threaded folder search on the real file system: what it finds, in which order, and a
// cancel that ends it promptly with every handed-over file delivered.
#include "app/folder_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/win32_fs.h"
#include "tests/app/e2e_support.h"

namespace sd {
namespace {

void Touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  CloseHandle(h);
}

// The names of a folder in the order the system lists them.
std::vector<std::string> Listed(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = fd.cFileName;
    bool isFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (n != "." && n != ".." && isFolder == folders) names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

TEST(FolderSearch, MasksAndBreadthFirstOrder) {
  std::string root = e2e::MakeTempFolder("search");
  Touch(root + "a.mp3");
  Touch(root + "b.MP3");
  Touch(root + "c.wav");
  CreateDirectoryA((root + "sub").c_str(), nullptr);
  CreateDirectoryA((root + "sub\\deeper").c_str(), nullptr);
  Touch(root + "sub\\d.mp3");
  Touch(root + "sub\\deeper\\e.mp3");
  Win32FileSystem fs;
  ThreadedFolderSearch search(fs);
  std::vector<std::string> found;
  auto collect = [&](const std::string& f, const std::string& n) { found.push_back(f + n); };

  search.Find(root, "*.mp3", collect, true);
  // Every file of a level before the next level's; each folder in the system's order.
  std::vector<std::string> expected;
  for (const std::string& n : Listed(root, false))
    if (n != "c.wav") expected.push_back(root + n);
  expected.push_back(root + "sub\\d.mp3");
  expected.push_back(root + "sub\\deeper\\e.mp3");
  EXPECT_EQ(found, expected);

  found.clear();
  search.Find(root, "*.mp3", collect, false);
  EXPECT_EQ(found.size(), 2u);  // only the root's own files
  found.clear();
  search.Find(root, "*.mp3;*.wav", collect, false);
  EXPECT_EQ(found.size(), 3u);
  found.clear();
  search.Find(root, "*.mp3, *.wav", collect, false);  // the blank stays: " *.wav" matches nothing
  EXPECT_EQ(found.size(), 2u);
  e2e::RemoveTree(root);
}

TEST(FolderSearch, CancelEndsPromptlyAndDeliversWhatWasHandedOver) {
  std::string root = e2e::MakeTempFolder("bigsearch");
  for (int d = 0; d < 40; ++d) {
    std::string dir = root + "d" + std::to_string(d);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int f = 0; f < 50; ++f) Touch(dir + "\\f" + std::to_string(f) + ".mp3");
  }
  Win32FileSystem fs;
  ThreadedFolderSearch search(fs);
  size_t delivered = 0;
  DWORD start = GetTickCount();
  search.Find(root, "*.*", [&](const std::string&, const std::string&) {
    if (++delivered == 100) search.Cancel();
  }, true);
  DWORD took = GetTickCount() - start;
  EXPECT_LT(delivered, 2000u);               // it stopped early
  EXPECT_EQ(delivered, search.HandedOver());  // nothing handed over was lost
  EXPECT_LT(took, 10000u);
  EXPECT_TRUE(search.Finished());
  e2e::RemoveTree(root);
}

}  // namespace
}  // namespace sd
