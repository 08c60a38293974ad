// A timer object (interval, enabled, on-tick) in the manner of a form's timer component.
// All timers share one hidden message window of the user-interface thread.
#pragma once
#include <windows.h>

#include <functional>

namespace ui {

class Timer {
 public:
  explicit Timer(UINT intervalMs = 1000, std::function<void()> onTick = {});
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetInterval(UINT ms);
  UINT Interval() const { return interval_; }
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  void SetOnTick(std::function<void()> f) { onTick_ = std::move(f); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  void Arm();
  UINT interval_;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
  std::function<void()> onTick_;
};

}  // namespace ui
