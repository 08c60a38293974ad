#include "core/files.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace sd {

std::string ShortPath(const std::string& path) {
  char buf[MAX_PATH * 2];
  DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return path;
  return std::string(buf, n);
}

bool SameMediaFile(const std::string& a, const std::string& b) { return TextEquals(ShortPath(a), ShortPath(b)); }

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void ListFiles(const std::string& mask, std::vector<std::string>& list, bool recursive) {
  std::string folder = ExtractFilePath(mask);
  std::string pattern = ExtractFileName(mask);
  if (!folder.empty() && !FolderExists(folder)) return;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(mask.c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) list.push_back(folder + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  if (!recursive) return;
  h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subs;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != '.') subs.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  for (const std::string& s : subs) ListFiles(folder + s + "\\" + pattern, list, true);
}

std::string ReadFixedField(HANDLE file, int n) {
  char buf[257] = {};
  if (n < 0) n = 0;
  if (n > 256) n = 256;
  DWORD got = 0;
  ReadFile(file, buf, static_cast<DWORD>(n), &got, nullptr);
  return std::string(buf, strnlen(buf, sizeof buf - 1));
}

bool WriteFixedField(HANDLE file, const std::string& text, int n) {
  char buf[256] = {};
  if (n < 0) n = 0;
  if (n > 256) n = 256;
  std::memcpy(buf, text.data(), std::min<size_t>(text.size(), static_cast<size_t>(n)));
  DWORD put = 0;
  return WriteFile(file, buf, static_cast<DWORD>(n), &put, nullptr) && put == static_cast<DWORD>(n);
}

}  // namespace sd
