#include "ui/timer.h"

#include <map>

namespace ui {

namespace {
// Live timers by their system id; a tick for an id no longer here is ignored.
std::map<UINT_PTR, Timer*>& Live() {
  static std::map<UINT_PTR, Timer*> live;
  return live;
}
}  // namespace

Timer::Timer(UINT intervalMs, std::function<void()> onTick)
    : interval_(intervalMs), onTick_(std::move(onTick)) {}

Timer::~Timer() { SetEnabled(false); }

void Timer::Arm() {
  // A thread timer (no window): SetTimer returns a fresh id each time.
  id_ = SetTimer(nullptr, 0, interval_ ? interval_ : 1, &Timer::Tick);
  if (id_) Live()[id_] = this;
}

void Timer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) {
    Arm();
  } else if (id_) {
    KillTimer(nullptr, id_);
    Live().erase(id_);
    id_ = 0;
  }
}

void Timer::SetInterval(UINT ms) {
  interval_ = ms;
  if (enabled_) {
    SetEnabled(false);
    SetEnabled(true);
  }
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Live().find(id);
  if (it == Live().end()) return;
  Timer* t = it->second;
  if (t->onTick_) t->onTick_();
}

}  // namespace ui
