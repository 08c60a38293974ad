#include "ui/wnd.h"

#include <set>

namespace ui {

Wnd::~Wnd() { Destroy(); }

bool Wnd::Create(const char* className, const char* title, DWORD style, DWORD exStyle, int x,
                 int y, int w, int h, HWND parent, HICON icon) {
  static std::set<std::string> registered;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (!registered.count(className)) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Wnd::Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = icon;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered.insert(className);
  }
  return CreateWindowExA(exStyle, className, title, style, x, y, w, h, parent, nullptr, inst,
                         this) != nullptr;
}

void Wnd::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Wnd::StartTimer(UINT_PTR id, UINT ms) {
  if (!hwnd_) return;
  SetTimer(hwnd_, id, ms, nullptr);
  timers_.insert(id);
}

void Wnd::StopTimer(UINT_PTR id) {
  if (hwnd_) KillTimer(hwnd_, id);
  timers_.erase(id);
}

LRESULT Wnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      OnPaint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CLOSE:
      OnClose();
      return 0;
  }
  return Default(msg, wp, lp);
}

LRESULT CALLBACK Wnd::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Wnd* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<Wnd*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = h;
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Wnd*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(h, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    for (UINT_PTR id : self->timers_) KillTimer(h, id);
    self->timers_.clear();
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
    return DefWindowProcA(h, msg, wp, lp);
  }
  return self->OnMessage(msg, wp, lp);
}

}  // namespace ui
