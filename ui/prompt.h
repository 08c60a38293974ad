// Every message box, modal dialog and open/save dialog goes through one seam, captioned with
// the application title. Tests install a scripted prompter that records what was asked and
// answers at once, so no test ever waits on a window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

struct PromptRequest {
  std::string caption;
  std::string text;
  UINT flags = 0;  // MB_* icon and buttons
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Returns the button pressed (IDOK, IDYES, ...).
  virtual int Message(HWND owner, const PromptRequest& req) = 0;
};

// The prompter in use: the system's message box unless a test installed another.
Prompter& CurrentPrompter();
void SetPrompter(Prompter* p);  // nullptr restores the system's

// A message box captioned with the application title.
int ShowMessage(const std::string& text, UINT flags, HWND owner = nullptr);

// A prompter for tests: records every request and answers from a script (IDOK when empty).
class ScriptedPrompter : public Prompter {
 public:
  std::vector<PromptRequest> asked;
  std::vector<int> answers;
  int Message(HWND, const PromptRequest& req) override {
    asked.push_back(req);
    if (answers.empty()) return IDOK;
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

}  // namespace ui
