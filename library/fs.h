// What the library needs from the file system, behind one small interface so the model,
// tags, storage and folder walk run natively in tests. Paths are GBK text as the user gave
// them ("c:\music\a.mp3"). The Windows implementation is win32_fs.h.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sd {

class IFile {
 public:
  virtual ~IFile() = default;
  virtual int64_t Size() = 0;
  // Exactly size bytes at pos, or false.
  virtual bool ReadAt(int64_t pos, void* data, size_t size) = 0;
  virtual bool WriteAt(int64_t pos, const void* data, size_t size) = 0;
  // Cut (or extend) the file to size bytes.
  virtual bool Truncate(int64_t size) = 0;
  // Push written data to the disk.
  virtual bool Flush() = 0;
};

struct FolderItem {
  std::string name;
  bool folder = false;
  bool link = false;  // a folder that is a link (junction, symbolic link) to another place
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // An existing file (not a folder).
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  enum class PathKind { kNone, kFile, kFolder };
  // Both questions in one look-up.
  virtual PathKind KindOf(const std::string& path) {
    return FolderExists(path) ? PathKind::kFolder : FileExists(path) ? PathKind::kFile : PathKind::kNone;
  }
  // The short (8.3) form of an existing path; empty when the system has none.
  virtual std::string ShortPath(const std::string& path) = 0;
  // Every name of a folder (ending in "\"), "." and ".." included when the system gives
  // them, in the order the system returns them. False when the folder cannot be listed.
  virtual bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) = 0;
  // Where a linked folder leads (a full path), or empty when that cannot be told.
  virtual std::string LinkTarget(const std::string& folder) { return std::string(); }
  // An existing file for reading, or reading and writing; null when it cannot be opened
  // (missing, or held open by someone who does not share writing).
  virtual std::unique_ptr<IFile> Open(const std::string& path, bool write) = 0;
  // A new empty file (an existing one is emptied) for writing; null on failure.
  virtual std::unique_ptr<IFile> Create(const std::string& path) = 0;
  // Replace target by source in one step (target may exist).
  virtual bool Replace(const std::string& source, const std::string& target) = 0;
  virtual bool Delete(const std::string& path) = 0;
};

// The whole file (up to limit bytes: larger files are refused); false when it cannot be read.
bool ReadWholeFile(IFileSystem& fs, const std::string& path, std::string& data, size_t limit);
// Write data to path safely: a temporary file beside it, flushed, then put in its place.
// On any failure the old file is left as it was and the temporary file is removed.
bool WriteFileReplacing(IFileSystem& fs, const std::string& path, const std::string& data);

}  // namespace sd
