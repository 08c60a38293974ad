#include "core/digitpairs.h"

#include <string>

#include "core/text.h"

namespace sd {

int32_t DecodeDigitPairs(const uint8_t* bytes, size_t n) {
  std::string text;
  for (size_t k = 0; k < n; ++k) {
    std::string piece = std::to_string(static_cast<int>(bytes[k]) - 1);
    if (piece.size() < 2) piece = "0" + piece;
    text = piece + text;
  }
  int32_t v = 0;
  // Only plain decimal texts count: no blanks or hex prefixes can come from the bytes,
  // but a '-' from a zero byte can, and then only in front.
  for (char c : text)
    if (!(c >= '0' && c <= '9') && c != '-') return 0;
  return TryTextToInt(text, v) ? v : 0;
}

bool EncodeDigitPairs(int32_t value, uint8_t* bytes, size_t n) {
  if (value < 0) return false;
  for (size_t k = 0; k < n; ++k) {
    bytes[k] = static_cast<uint8_t>(value % 100 + 1);
    value /= 100;
  }
  return value == 0;
}

}  // namespace sd
