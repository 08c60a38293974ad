#include "app/folder_search.h"

#include <windows.h>

#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "library/masks.h"
#include "ui/app.h"

namespace sd {

void ThreadedFolderSearch::Find(const std::string& folder, const std::string& masks, const FoundFn& found,
                                bool recursive) {
  abort_ = false;
  running_ = true;
  handed_ = 0;
  std::mutex lock;
  std::deque<std::pair<std::string, std::string>> queue;
  HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> done{false};
  std::vector<std::string> maskList = SplitMasks(masks);

  std::thread walker([&] {
    WalkFolders(fs_, folder, maskList, recursive, abort_, [&](const std::string& f, const std::string& name) {
      std::lock_guard<std::mutex> g(lock);
      queue.emplace_back(f, name);
      SetEvent(wake);
    });
    done = true;
    SetEvent(wake);
  });

  // Deliver on this thread while waiting; the window stays alive.
  for (;;) {
    std::deque<std::pair<std::string, std::string>> batch;
    {
      std::lock_guard<std::mutex> g(lock);
      batch.swap(queue);
    }
    for (auto& [f, name] : batch) {
      ++handed_;
      if (found) found(f, name);
    }
    if (done && batch.empty()) {
      std::lock_guard<std::mutex> g(lock);
      if (queue.empty()) break;
      continue;
    }
    if (!batch.empty()) {
      ui::Application::Get().ProcessMessages();
      continue;
    }
    MsgWaitForMultipleObjects(1, &wake, FALSE, 50, QS_ALLINPUT);
    ui::Application::Get().ProcessMessages();
  }
  walker.join();
  CloseHandle(wake);
  running_ = false;
}

}  // namespace sd
