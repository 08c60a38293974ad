// Digit-pair numbers: four (or n) bytes, each a pair of decimal digits plus 1, least
// significant pair first. Used by skin picture blocks and plug-in descriptors.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sd {

// Each byte b becomes the decimal text of b - 1 padded to two digits; later bytes stand in
// front of earlier ones; the joined text read as a signed 32-bit integer, 0 when it is not one.
int32_t DecodeDigitPairs(const uint8_t* bytes, size_t n);
// The writer's side: value 0..2^31-1 into n bytes of 1..100. False when it does not fit.
bool EncodeDigitPairs(int32_t value, uint8_t* bytes, size_t n);

}  // namespace sd
