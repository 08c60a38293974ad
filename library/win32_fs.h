// The library's file system on Windows (ANSI functions): short names from
// GetShortPathNameA, folder listings from FindFirstFileA in the system's order, files opened
// so that a song held open by its engine is read but not written, replacing with MoveFileExA.
#pragma once
#include "library/fs.h"

namespace sd {

class Win32FileSystem : public IFileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  PathKind KindOf(const std::string& path) override;
  std::string ShortPath(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
  std::string LinkTarget(const std::string& folder) override;
  std::unique_ptr<IFile> Open(const std::string& path, bool write) override;
  std::unique_ptr<IFile> Create(const std::string& path) override;
  bool Replace(const std::string& source, const std::string& target) override;
  bool Delete(const std::string& path) override;
};

}  // namespace sd
