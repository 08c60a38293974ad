// An in-memory file system with Windows rules (names compare without letter case, folders
// list in creation order, optional short names) and switches that make single steps fail.
// Used by tests and the benchmark.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "library/fs.h"

namespace sd {

class MemFileSystem : public IFileSystem {
 public:
  struct Node {
    std::string path;  // as created
    std::string name;  // last part of path
    std::string data;
    std::string short_path;
    bool folder = false;
    std::string link;  // target of a linked folder
  };

  // A file with its content; its folders are created. short_path: what ShortPath answers
  // (empty: the path itself, as for names that are already short).
  void PutFile(const std::string& path, const std::string& data, const std::string& short_path = "");
  void PutFolder(const std::string& path);
  // A folder that is a link to target (an existing folder): it lists target's names.
  void PutLink(const std::string& path, const std::string& target);
  bool Has(const std::string& path) const;
  std::string Data(const std::string& path) const;
  Node* Find(const std::string& path);

  // Failure switches.
  std::set<std::string> held_open;  // keys of files that cannot be opened for writing
  bool fail_create = false, fail_flush = false, fail_replace = false, fail_open_read = false;
  long write_budget = -1;           // bytes that may still be written; -1 = no limit
  int creates = 0, replaces = 0;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::string ShortPath(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<FolderItem>& items) override;
  std::string LinkTarget(const std::string& folder) override;
  std::unique_ptr<IFile> Open(const std::string& path, bool write) override;
  std::unique_ptr<IFile> Create(const std::string& path) override;
  bool Replace(const std::string& source, const std::string& target) override;
  bool Delete(const std::string& path) override;

 private:
  friend class MemFile;
  static std::string Key(const std::string& path);
  void Link(const std::string& path);
  std::map<std::string, Node> nodes_;
  std::map<std::string, std::vector<std::string>> children_;  // folder key -> child keys
};

}  // namespace sd
