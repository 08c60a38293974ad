// Any bytes as the end of a plug-in file: the reader must neither fail nor read too much.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engines/descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sd::MemorySource source(data, size);
  sd::TRuvuDofo d;
  if (sd::DecodeDescriptor(source, d)) {
    if (d.Guid.size() > sd::kDescriptorGuidSize || d.Name.size() > sd::kDescriptorNameSize ||
        d.Masks.size() > sd::kDescriptorMaxMasks || d.Flags > 7)
      std::abort();
  } else if (!d.Guid.empty() || !d.Name.empty() || !d.Masks.empty() || d.Version || d.Flags) {
    std::abort();
  }
  return 0;
}
