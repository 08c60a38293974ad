// What the MPEG engine reports for the decoder library's notifications: state changes,
// time codes, the duration, errors, and the end-of-stream count while the output drains.
#pragma once
#include <cstdint>
#include <functional>

namespace sd {

class MpegReports {
 public:
  // key ("%Status", "%Time", "%TotalTime") and value.
  using Report = std::function<void(const char* key, int32_t value)>;
  explicit MpegReports(Report report) : report_(std::move(report)) {}

  // One decoded notification: code and its data bytes (data[0] is offset 4 of the block).
  void OnNote(int32_t code, const uint8_t* data);
  // A tick of the 1000 ms end-of-stream timer.
  void OnTick();

  bool Paused() const { return paused_; }
  bool TimerWanted() const { return timer_; }
  int32_t TotalTime() const { return total_; }

 private:
  Report report_;
  int32_t total_ = 0;
  int32_t last_ = 0;
  int32_t ticks_ = 0;
  bool paused_ = false;
  bool timer_ = false;
};

}  // namespace sd
