// Checks a bitmap file (BMP) from a skin before anything decodes it: the headers must agree
// with each other and with the bytes present, and the picture must be of a sane size.
#pragma once
#include <cstdint>
#include <string_view>

namespace sd {

constexpr int32_t kMaxBitmapSide = 16384;
constexpr int64_t kMaxBitmapPixels = 16 << 20;

struct BitmapInfo {
  int32_t width = 0, height = 0;  // height as shown (positive)
  int bits = 0;                   // 1, 4, 8, 16, 24 or 32
  uint32_t compression = 0;       // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  bool topDown = false;
  uint32_t pixelOffset = 0;       // of the pixel data in the file
  uint32_t paletteEntries = 0;
};

// True when bmp is a whole, consistent bitmap file; info then describes it.
bool CheckBitmap(std::string_view bmp, BitmapInfo& info);

}  // namespace sd
