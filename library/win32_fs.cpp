#include "library/win32_fs.h"

#include <windows.h>

#include "core/text.h"

namespace sd {

namespace {
class Win32File : public IFile {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override { CloseHandle(h_); }
  int64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? size.QuadPart : -1;
  }
  bool Seek(int64_t pos) {
    LARGE_INTEGER at;
    at.QuadPart = pos;
    return pos >= 0 && SetFilePointerEx(h_, at, nullptr, FILE_BEGIN);
  }
  bool ReadAt(int64_t pos, void* data, size_t size) override {
    if (!Seek(pos)) return false;
    char* p = static_cast<char*>(data);
    while (size > 0) {
      DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), got = 0;
      if (!ReadFile(h_, p, chunk, &got, nullptr) || got == 0) return false;
      p += got;
      size -= got;
    }
    return true;
  }
  bool WriteAt(int64_t pos, const void* data, size_t size) override {
    if (!Seek(pos)) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), put = 0;
      if (!WriteFile(h_, p, chunk, &put, nullptr) || put == 0) return false;
      p += put;
      size -= put;
    }
    return true;
  }
  bool Truncate(int64_t size) override { return Seek(size) && SetEndOfFile(h_); }
  bool Flush() override { return FlushFileBuffers(h_) != 0; }

 private:
  HANDLE h_;
};

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  DWORD a = Attributes(path);
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

IFileSystem::PathKind Win32FileSystem::KindOf(const std::string& path) {
  DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return PathKind::kNone;
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

std::string Win32FileSystem::ShortPath(const std::string& path) {
  if (path.empty()) return std::string();
  std::string buf(MAX_PATH, '\0');
  DWORD n = GetShortPathNameA(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  if (n >= buf.size()) {
    buf.assign(n + 1, '\0');
    n = GetShortPathNameA(path.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
  }
  if (n == 0 || n >= buf.size()) return std::string();
  buf.resize(n);
  return buf;
}

bool Win32FileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
  items.clear();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((WithBackslash(folder) + "*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    items.push_back({fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                     (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return true;
}

std::string Win32FileSystem::LinkTarget(const std::string& folder) {
  HANDLE h = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  char buf[MAX_PATH * 2];
  DWORD n = GetFinalPathNameByHandleA(h, buf, sizeof buf, FILE_NAME_NORMALIZED);
  CloseHandle(h);
  if (n == 0 || n >= sizeof buf) return std::string();
  std::string path(buf, n);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

std::unique_ptr<IFile> Win32FileSystem::Open(const std::string& path, bool write) {
  // Reading shares everything; writing shares reading only, so a file another program
  // writes to (or holds open without sharing writes, as a playing engine does) is refused.
  DWORD access = GENERIC_READ | (write ? GENERIC_WRITE : 0);
  DWORD share = write ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(h);
}

std::unique_ptr<IFile> Win32FileSystem::Create(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(h);
}

bool Win32FileSystem::Replace(const std::string& source, const std::string& target) {
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace sd
