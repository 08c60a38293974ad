// The library's file system on a POSIX system, for the benchmark: "\" in paths stands for
// "/", there are no short names, writes are flushed with fsync.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "library/fs.h"

namespace sd::bench {

inline std::string Native(std::string p) {
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

class PosixFile : public IFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }
  int64_t Size() override {
    struct stat st;
    return fstat(fd_, &st) == 0 ? st.st_size : -1;
  }
  bool ReadAt(int64_t pos, void* data, size_t size) override {
    char* p = static_cast<char*>(data);
    while (size) {
      ssize_t n = pread(fd_, p, size, pos);
      if (n <= 0) return false;
      p += n, pos += n, size -= n;
    }
    return true;
  }
  bool WriteAt(int64_t pos, const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size) {
      ssize_t n = pwrite(fd_, p, size, pos);
      if (n <= 0) return false;
      p += n, pos += n, size -= n;
    }
    return true;
  }
  bool Truncate(int64_t size) override { return ftruncate(fd_, size) == 0; }
  bool Flush() override { return fsync(fd_) == 0; }

 private:
  int fd_;
};

class PosixFileSystem : public IFileSystem {
 public:
  bool FileExists(const std::string& p) override {
    struct stat st;
    return stat(Native(p).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool FolderExists(const std::string& p) override {
    struct stat st;
    return stat(Native(p).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  PathKind KindOf(const std::string& p) override {
    struct stat st;
    if (stat(Native(p).c_str(), &st) != 0) return PathKind::kNone;
    return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kFile;
  }
  std::string ShortPath(const std::string& p) override {
    struct stat st;
    return stat(Native(p).c_str(), &st) == 0 ? p : std::string();
  }
  bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override {
    items.clear();
    DIR* d = opendir(Native(folder).c_str());
    if (!d) return false;
    while (dirent* e = readdir(d)) items.push_back({e->d_name, e->d_type == DT_DIR});
    closedir(d);
    return true;
  }
  std::unique_ptr<IFile> Open(const std::string& p, bool write) override {
    int fd = open(Native(p).c_str(), write ? O_RDWR : O_RDONLY);
    return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
  }
  std::unique_ptr<IFile> Create(const std::string& p) override {
    int fd = open(Native(p).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
  }
  bool Replace(const std::string& s, const std::string& t) override {
    return rename(Native(s).c_str(), Native(t).c_str()) == 0;
  }
  bool Delete(const std::string& p) override { return unlink(Native(p).c_str()) == 0; }
};

}  // namespace sd::bench
