// The folder search on a thread of its own: the walk runs in the background and hands each
// found file over to the user-interface thread, which delivers it while it waits (letting
// window messages run), so a large tree neither blocks the window nor touches the library
// from another thread.
#pragma once
#include <atomic>
#include <cstddef>

#include "library/fs.h"
#include "library/seams.h"

namespace sd {

class ThreadedFolderSearch : public IFolderSearch {
 public:
  explicit ThreadedFolderSearch(IFileSystem& fs) : fs_(fs) {}
  // Returns when the walk has ended and every file it handed over has been delivered.
  void Find(const std::string& folder, const std::string& masks, const FoundFn& found, bool recursive) override;
  void Cancel() override { abort_ = true; }
  bool Finished() override { return !running_ || abort_; }
  // Files the last walk handed over (all of them are delivered when Find returns).
  size_t HandedOver() const { return handed_; }

 private:
  IFileSystem& fs_;
  std::atomic<bool> abort_{false};
  bool running_ = false;
  size_t handed_ = 0;
};

}  // namespace sd
