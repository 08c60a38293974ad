// Any bytes: the scanner finds frames only inside the input and never reads past it.
#include "mpegdll/mp3scan.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sd::mpeg::StreamInfo s;
  if (sd::mpeg::ScanStream(data, size, s)) {
    for (size_t i = 0; i < s.frames.size(); ++i)
      if (s.frames[i] + size_t(s.sizes[i]) > size) std::abort();
    (void)s.PrimingStart(s.frames.size() - 1);
    (void)s.DurationSeconds();
  }
  return 0;
}
