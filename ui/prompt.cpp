#include "ui/prompt.h"

#include "ui/app.h"

namespace ui {

namespace {
class SystemPrompter : public Prompter {
 public:
  int Message(HWND owner, const PromptRequest& req) override {
    return MessageBoxA(owner, req.text.c_str(), req.caption.c_str(), req.flags);
  }
};
SystemPrompter g_system;
Prompter* g_current = &g_system;
}  // namespace

Prompter& CurrentPrompter() { return *g_current; }
void SetPrompter(Prompter* p) { g_current = p ? p : &g_system; }

int ShowMessage(const std::string& text, UINT flags, HWND owner) {
  PromptRequest req{Application::Get().Title(), text, flags};
  return CurrentPrompter().Message(owner, req);
}

}  // namespace ui
