#include "library/memfs.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace sd {

class MemFile : public IFile {
 public:
  MemFile(MemFileSystem& fs, std::string key, bool write) : fs_(fs), key_(std::move(key)), write_(write) {}
  std::string* Data() {
    auto it = fs_.nodes_.find(key_);
    return it == fs_.nodes_.end() ? nullptr : &it->second.data;
  }
  int64_t Size() override {
    std::string* d = Data();
    return d ? static_cast<int64_t>(d->size()) : -1;
  }
  bool ReadAt(int64_t pos, void* data, size_t size) override {
    std::string* d = Data();
    if (!d || pos < 0 || static_cast<uint64_t>(pos) + size > d->size()) return false;
    std::memcpy(data, d->data() + pos, size);
    return true;
  }
  bool WriteAt(int64_t pos, const void* data, size_t size) override {
    std::string* d = Data();
    if (!d || !write_ || pos < 0) return false;
    size_t n = size;
    bool ok = true;
    if (fs_.write_budget >= 0 && static_cast<long>(n) > fs_.write_budget) {
      n = static_cast<size_t>(fs_.write_budget);
      ok = false;
    }
    if (fs_.write_budget >= 0) fs_.write_budget -= static_cast<long>(n);
    if (d->size() < static_cast<size_t>(pos) + n) d->resize(static_cast<size_t>(pos) + n);
    std::memcpy(d->data() + pos, data, n);
    return ok;
  }
  bool Truncate(int64_t size) override {
    std::string* d = Data();
    if (!d || !write_ || size < 0) return false;
    d->resize(static_cast<size_t>(size));
    return true;
  }
  bool Flush() override { return write_ && !fs_.fail_flush; }

 private:
  MemFileSystem& fs_;
  std::string key_;
  bool write_;
};

namespace {
std::string NameOf(std::string path) {
  while (path.size() > 3 && EndsWithChar(path, '\\')) path.pop_back();
  return ExtractFileName(path);
}
}  // namespace

std::string MemFileSystem::Key(const std::string& path) {
  std::string k = LowerAscii(path);
  while (k.size() > 3 && EndsWithChar(k, '\\')) k.pop_back();
  return k;
}

void MemFileSystem::Link(const std::string& path) {
  std::string key = Key(path);
  std::string parent = Key(ExtractFilePath(Key(path)));
  if (parent.empty() || parent == key) return;
  auto& list = children_[parent];
  if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
  if (!nodes_.count(parent)) {
    Node n;
    n.path = ExtractFilePath(path);
    n.name = NameOf(n.path);
    n.folder = true;
    nodes_[parent] = n;
    Link(ExtractFilePath(path));
  }
}

void MemFileSystem::PutFile(const std::string& path, const std::string& data, const std::string& short_path) {
  Node& n = nodes_[Key(path)];
  n.path = path;
  n.name = NameOf(path);
  n.data = data;
  n.short_path = short_path;
  n.folder = false;
  Link(path);
}

void MemFileSystem::PutFolder(const std::string& path) {
  Node& n = nodes_[Key(path)];
  n.path = path;
  n.name = NameOf(path);
  n.folder = true;
  Link(path);
}

void MemFileSystem::PutLink(const std::string& path, const std::string& target) {
  PutFolder(path);
  nodes_[Key(path)].link = target;
}

std::string MemFileSystem::LinkTarget(const std::string& folder) {
  Node* n = Find(folder);
  return n ? n->link : std::string();
}

MemFileSystem::Node* MemFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

bool MemFileSystem::Has(const std::string& path) const { return nodes_.count(Key(path)) != 0; }

std::string MemFileSystem::Data(const std::string& path) const {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? std::string() : it->second.data;
}

bool MemFileSystem::FileExists(const std::string& path) {
  Node* n = Find(path);
  return n && !n->folder;
}

bool MemFileSystem::FolderExists(const std::string& path) {
  Node* n = Find(path);
  return n && n->folder;
}

std::string MemFileSystem::ShortPath(const std::string& path) {
  Node* n = Find(path);
  if (!n) return std::string();
  return n->short_path.empty() ? path : n->short_path;
}

bool MemFileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
  items.clear();
  if (!FolderExists(folder)) return false;
  items.push_back({".", true});
  items.push_back({"..", true});
  const Node* self = Find(folder);
  auto it = children_.find(Key(self->link.empty() ? folder : self->link));
  if (it == children_.end()) return true;
  for (const std::string& key : it->second) {
    auto n = nodes_.find(key);
    if (n == nodes_.end()) continue;
    items.push_back({n->second.name, n->second.folder, !n->second.link.empty()});
  }
  return true;
}

std::unique_ptr<IFile> MemFileSystem::Open(const std::string& path, bool write) {
  if (!FileExists(path) || fail_open_read) return nullptr;
  if (write && held_open.count(Key(path))) return nullptr;
  return std::make_unique<MemFile>(*this, Key(path), write);
}

std::unique_ptr<IFile> MemFileSystem::Create(const std::string& path) {
  if (fail_create || FolderExists(path) || !FolderExists(ExtractFilePath(path))) return nullptr;
  if (held_open.count(Key(path))) return nullptr;
  ++creates;
  PutFile(path, std::string());
  return std::make_unique<MemFile>(*this, Key(path), true);
}

bool MemFileSystem::Replace(const std::string& source, const std::string& target) {
  if (fail_replace || !FileExists(source) || FolderExists(target)) return false;
  ++replaces;
  Node n = nodes_[Key(source)];
  Delete(source);
  PutFile(target, n.data);
  return true;
}

bool MemFileSystem::Delete(const std::string& path) {
  std::string key = Key(path);
  auto it = nodes_.find(key);
  if (it == nodes_.end() || it->second.folder) return false;
  nodes_.erase(it);
  auto& list = children_[Key(ExtractFilePath(key))];
  list.erase(std::remove(list.begin(), list.end(), key), list.end());
  return true;
}

}  // namespace sd
