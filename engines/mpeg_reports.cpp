#include "engines/mpeg_reports.h"

#include <cstring>

namespace sd {

void MpegReports::OnNote(int32_t code, const uint8_t* data) {
  switch (code) {
    case 75:  // error; 7 and 8 are warnings
      if (data[0] != 7 && data[0] != 8) report_("%Status", 4);
      break;
    case 78: {  // state
      int state = data[0];
      paused_ = state == 2;
      ticks_ = 0;
      timer_ = state == 3;  // all input decoded; the output still drains
      if (state == 0) report_("%Status", 0);
      else if (state == 1 || state == 3) report_("%Status", 1);
      else if (state == 2) report_("%Status", 2);
      break;
    }
    case 87:  // time code h, m, s
      last_ = data[0] * 3600 + data[1] * 60 + data[2];
      report_("%Time", last_);
      break;
    case 111: {  // duration
      int32_t v;
      std::memcpy(&v, data, sizeof v);
      total_ = v;
      report_("%TotalTime", v);
      break;
    }
    default:
      break;
  }
}

void MpegReports::OnTick() {
  if (!timer_) return;
  // The second that reaches the total is the end: 100 of 103 drains as 101, 102, end.
  if (last_ + ticks_ + 1 < total_) {
    ++ticks_;
    report_("%Time", last_ + ticks_);
  } else {
    timer_ = false;
    report_("%Status", 0);
  }
}

}  // namespace sd
