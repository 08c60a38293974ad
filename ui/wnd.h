// The window base: one C++ object per window, bound to its HWND at WM_NCCREATE, with typed
// handlers. Derived classes override only what they handle; everything else goes to
// DefWindowProc. Timers are per-class ids and are all killed when the window is destroyed.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace ui {

class Wnd {
 public:
  Wnd() = default;
  Wnd(const Wnd&) = delete;
  Wnd& operator=(const Wnd&) = delete;
  virtual ~Wnd();

  HWND hwnd() const { return hwnd_; }
  // Registers the class once (per name) and creates the window; false on failure.
  bool Create(const char* className, const char* title, DWORD style, DWORD exStyle, int x, int y,
              int w, int h, HWND parent = nullptr, HICON icon = nullptr);
  void Destroy();

  void StartTimer(UINT_PTR id, UINT ms);
  void StopTimer(UINT_PTR id);

 protected:
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual void OnTimer(UINT_PTR id) {}
  virtual void OnCommand(int id) {}
  virtual void OnPaint(HDC dc) {}
  // WM_CLOSE: the default destroys the window.
  virtual void OnClose() { Destroy(); }
  virtual void OnDestroyed() {}
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
  std::set<UINT_PTR> timers_;
};

}  // namespace ui
