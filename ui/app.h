// The application object: message loop, "let pending messages run", title, icon, termination.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

class Application {
 public:
  static Application& Get();

  // Runs the message loop until Terminate; returns the exit code.
  int Run();
  // Lets every pending message of this thread run, then returns (the loop's work in place).
  void ProcessMessages();
  // Ends the message loop after the current message.
  void Terminate(int code = 0);
  bool Terminated() const { return terminated_; }

  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& Title() const { return title_; }
  void SetIcon(HICON icon) { icon_ = icon; }
  HICON Icon() const { return icon_; }

 private:
  bool terminated_ = false;
  int code_ = 0;
  std::string title_;
  HICON icon_ = nullptr;
};

}  // namespace ui
