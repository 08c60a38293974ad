#include "ui/app.h"

namespace ui {

Application& Application::Get() {
  static Application app;
  return app;
}

int Application::Run() {
  MSG msg;
  while (!terminated_) {
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return code_;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Seen inside a nested loop: the message loop further out must see it too.
      terminated_ = true;
      code_ = static_cast<int>(msg.wParam);
      PostQuitMessage(code_);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Application::Terminate(int code) {
  terminated_ = true;
  code_ = code;
  PostQuitMessage(code);
}

}  // namespace ui
