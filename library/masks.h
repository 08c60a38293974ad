// File masks and the breadth-first folder walk of a folder search.
#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "library/fs.h"
#include "library/seams.h"

namespace sd {

// Masks of a mask list: pieces between ";" and ",", untrimmed; blank pieces dropped.
std::vector<std::string> SplitMasks(std::string_view list);
// "*" any run of characters, "?" one character (a GBK pair is one), "[set]" one character
// of the set ("a-z" ranges, "!" in front negates); letter case ignored; "*.*" matches every
// name. A "[" without its "]" stands for itself.
bool MatchMask(std::string_view mask, std::string_view name);
bool MatchesAny(const std::vector<std::string>& masks, std::string_view name);

// One breadth-first walk: every file of the root, then of each folder of the next level.
// Runs on any thread: it touches only fs and found; abort is polled after every name. A
// linked folder that leads to a folder already walked (a loop such as a junction to its
// own parent) is not entered.
void WalkFolders(IFileSystem& fs, const std::string& root, const std::vector<std::string>& masks,
                 bool recursive, const std::atomic<bool>& abort,
                 const std::function<void(const std::string& folder, const std::string& name)>& found);

// A folder search that walks in the calling thread (the threaded one hands its results to
// the user-interface thread instead).
class InlineFolderSearch : public IFolderSearch {
 public:
  explicit InlineFolderSearch(IFileSystem& fs) : fs_(fs) {}
  void Find(const std::string& folder, const std::string& masks, const FoundFn& found,
            bool recursive) override;
  void Cancel() override { abort_ = true; }
  bool Finished() override { return !running_ || abort_; }

 private:
  IFileSystem& fs_;
  std::atomic<bool> abort_{false};
  bool running_ = false;
};

}  // namespace sd
