#include "core/deferred.h"

#include "ui/app.h"

namespace sd {

DeferredCommands::DeferredCommands(Executor exec) : exec_(std::move(exec)), timer_(1, [this] { Fire(); }) {}

void DeferredCommands::Post(const std::string& verb, const std::string& arg, const std::string* sender) {
  ui::Application& app = ui::Application::Get();
  while (timer_.Enabled() && !app.Terminated()) {
    // Sleep until a message (the timer's among them) arrives instead of spinning.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    app.ProcessMessages();
  }
  verb_ = verb;
  arg_ = arg;
  if (sender) sender_ = *sender;
  timer_.SetEnabled(true);
}

void DeferredCommands::Fire() {
  timer_.SetEnabled(false);
  std::string verb = verb_, arg = arg_;
  if (exec_) exec_(verb, arg);
  // A command run above may already have queued the next one: keep that.
  if (!timer_.Enabled()) {
    verb_.clear();
    arg_.clear();
  }
}

}  // namespace sd
