// The deferred-command slot: requests from outside the normal flow (instance messages,
// engine callbacks) are held here and run one at a time from a 1 ms timer.
#pragma once
#include <functional>
#include <string>

#include "ui/timer.h"

namespace sd {

class DeferredCommands {
 public:
  using Executor = std::function<void(const std::string& verb, const std::string& arg)>;
  explicit DeferredCommands(Executor exec);

  // Waits (letting messages run) while an earlier command is pending, then queues this one.
  // A null sender leaves the previous sender id in place.
  void Post(const std::string& verb, const std::string& arg, const std::string* sender);
  bool Pending() const { return timer_.Enabled(); }
  // The id of the last sender that gave one; read by plug-in requests.
  const std::string& Sender() const { return sender_; }

 private:
  void Fire();
  Executor exec_;
  ui::Timer timer_;
  std::string verb_, arg_, sender_;
};

}  // namespace sd
