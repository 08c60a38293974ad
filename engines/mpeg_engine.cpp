#include "engines/mpeg_engine.h"

#include <windows.h>

#include <memory>
#include <string>

#include "core/paths.h"
#include "engines/mpeg_reports.h"
#include "engines/plus.h"
#include "mpegdll/mpeg.h"
#include "ui/handles.h"
#include "ui/timer.h"
#include "ui/wnd.h"

namespace sd {

namespace {

std::string g_sender;
int g_priority = 4;

void Report(const char* key, int32_t value) { PlusCallback(g_sender.c_str(), key, nullptr, value); }

// The decoder library's operations, looked up by name at every call. A missing name
// reports an error; an unloaded library fails quietly.
template <typename Fn, typename... Args>
int Call(const ui::Module& lib, const char* name, Args... args) {
  if (!lib) return -1;
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(lib.Proc(name)));
  if (!fn) {
    Report("%Status", 4);
    return -1;
  }
  return fn(args...);
}

using NewFn = int(MPEG_API*)(MpegPlayer**, const void*);
using DeleteFn = int(MPEG_API*)(MpegPlayer*);
using PriorityFn = int(MPEG_API*)(MpegPlayer*, int);
using SendNFn = int(MPEG_API*)(MpegPlayer*, int);
using SendSFn = int(MPEG_API*)(MpegPlayer*, int, const char*);
using SendPFn = int(MPEG_API*)(MpegPlayer*, int, const void*);
using SendIIFn = int(MPEG_API*)(MpegPlayer*, int, int, int);
using ParamsFn = int(MPEG_API*)(MpegPlayer*, MpegMessage*, uint32_t, uintptr_t, intptr_t);

MpegReports& Reports() {
  static MpegReports reports(&Report);
  return reports;
}

// The decoder wrapper: one at most, from the first PM_PLAY after a stop to PM_STOP.
class TXAudioPlayer : public ui::Wnd {
 public:
  TXAudioPlayer() : timer_(1000, [this] { Tick(); }) {
    Create("TXAudioPlayerWindow", "", WS_POPUP, 0, 0, 0, 0, 0);
    lib_ = ui::Module((Paths().AppFolder + "mpeg.dll").c_str());
    HWND w = hwnd();
    Call<NewFn>(lib_, "player_new", &player_, static_cast<const void*>(&w));
  }
  ~TXAudioPlayer() override {
    timer_.SetEnabled(false);
    if (player_) Call<DeleteFn>(lib_, "player_delete", player_);
    player_ = nullptr;
    lib_.Reset();
  }
  MpegPlayer* player() const { return player_; }
  const ui::Module& lib() const { return lib_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg >= MPEG_NOTIFY_BASE && msg < MPEG_NOTIFY_BASE + 0x1000) {
      MpegMessage block = {};
      if (Call<ParamsFn>(lib_, "control_win32_params_to_message", player_, &block, static_cast<uint32_t>(msg),
                         static_cast<uintptr_t>(wp), static_cast<intptr_t>(lp)) == 0) {
        Reports().OnNote(block.code, block.data);
        timer_.SetEnabled(Reports().TimerWanted());
      }
      return 0;
    }
    return ui::Wnd::OnMessage(msg, wp, lp);
  }

 private:
  void Tick() {
    Reports().OnTick();
    if (!Reports().TimerWanted()) timer_.SetEnabled(false);
  }
  ui::Module lib_;
  MpegPlayer* player_ = nullptr;
  ui::Timer timer_;
};

std::unique_ptr<TXAudioPlayer> g_wrapper;

}  // namespace

int32_t SD_STDCALL MpegEngineMessage(uint32_t msg, PlusValue value) {
  TXAudioPlayer* w = g_wrapper.get();
  switch (msg) {
    case PM_REFRESH:
      // The spectrum painter adapts to its area here once the spectrum exists.
      return kPlusHandled;
    case PM_IDENTIFY:
      g_sender = value ? reinterpret_cast<const char*>(value) : "";
      return kPlusHandled;
    case PM_STATUSREC:
    case PM_RELEASE:
    case PM_START:
    case PM_CLOSE:
    case PM_CALLBACK:
    case PM_VISUAL_SHOW:
    case PM_VISUAL_HIDE:
    case PM_VISUAL_IDLE:
      return kPlusHandled;
    case PM_PLAY:
      if (!g_wrapper) g_wrapper = std::make_unique<TXAudioPlayer>();
      w = g_wrapper.get();
      Call<PriorityFn>(w->lib(), "player_set_priority", w->player(), g_priority);
      Call<SendSFn>(w->lib(), "control_message_send_S", w->player(), 8, reinterpret_cast<const char*>(value));
      Call<SendNFn>(w->lib(), "control_message_send_N", w->player(), 4);
      return kPlusHandled;
    case PM_PAUSE:
      if (w) Call<SendNFn>(w->lib(), "control_message_send_N", w->player(), Reports().Paused() ? 4 : 5);
      return kPlusHandled;
    case PM_STOP:
      if (w) {
        Call<SendNFn>(w->lib(), "control_message_send_N", w->player(), 6);
        Call<SendNFn>(w->lib(), "control_message_send_N", w->player(), 9);
        g_wrapper.reset();
      }
      return kPlusHandled;
    case PM_SEEK:
      if (w)
        Call<SendIIFn>(w->lib(), "control_message_send_II", w->player(), 7, static_cast<int>(value),
                       Reports().TotalTime());
      return kPlusHandled;
    case PM_EQUALIZER:
      if (w) Call<SendPFn>(w->lib(), "control_message_send_P", w->player(), 65, reinterpret_cast<const void*>(value));
      return kPlusHandled;
    case PM_PRIORITY:
      g_priority = static_cast<int>(value);
      if (w) Call<PriorityFn>(w->lib(), "player_set_priority", w->player(), g_priority);
      return kPlusHandled;
  }
  return kPlusNotHandled;
}

}  // namespace sd
