#include "library/fs.h"

namespace sd {

bool ReadWholeFile(IFileSystem& fs, const std::string& path, std::string& data, size_t limit) {
  data.clear();
  auto f = fs.Open(path, false);
  if (!f) return false;
  int64_t size = f->Size();
  if (size < 0 || static_cast<uint64_t>(size) > limit) return false;
  data.resize(static_cast<size_t>(size));
  if (size > 0 && !f->ReadAt(0, data.data(), data.size())) {
    data.clear();
    return false;
  }
  return true;
}

bool WriteFileReplacing(IFileSystem& fs, const std::string& path, const std::string& data) {
  const std::string temp = path + ".new";
  bool ok = false;
  {
    auto f = fs.Create(temp);
    if (!f) return false;
    ok = (data.empty() || f->WriteAt(0, data.data(), data.size())) && f->Flush();
  }
  if (ok) ok = fs.Replace(temp, path);
  if (!ok) fs.Delete(temp);
  return ok;
}

}  // namespace sd
