#include "skins/bitmapcheck.h"

namespace sd {

namespace {
uint32_t U32(std::string_view s, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(s.data() + at);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(std::string_view s, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
}  // namespace

bool CheckBitmap(std::string_view bmp, BitmapInfo& info) {
  info = BitmapInfo();
  if (bmp.size() < 14 + 12 || bmp[0] != 'B' || bmp[1] != 'M') return false;
  const uint64_t size = bmp.size();
  const uint32_t offBits = U32(bmp, 10);
  const uint32_t hdr = U32(bmp, 14);
  int64_t w, h;
  uint16_t planes, bits;
  uint32_t compression = 0, clrUsed = 0, paletteEntrySize = 4;
  if (hdr == 12) {  // the old core header
    w = U16(bmp, 18);
    h = U16(bmp, 20);
    planes = U16(bmp, 22);
    bits = U16(bmp, 24);
    paletteEntrySize = 3;
  } else if (hdr == 40 || hdr == 52 || hdr == 56 || hdr == 108 || hdr == 124) {
    if (size < 14 + static_cast<uint64_t>(hdr)) return false;
    w = static_cast<int32_t>(U32(bmp, 18));
    h = static_cast<int32_t>(U32(bmp, 22));
    planes = U16(bmp, 26);
    bits = U16(bmp, 28);
    compression = U32(bmp, 30);
    clrUsed = U32(bmp, 46);
  } else {
    return false;
  }
  if (planes != 1) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (w <= 0 || h <= 0 || w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels) return false;
  switch (compression) {
    case 0: break;
    case 1: if (bits != 8 || topDown) return false; break;
    case 2: if (bits != 4 || topDown) return false; break;
    case 3: if (bits != 16 && bits != 32) return false; break;
    default: return false;
  }
  // What lies between the headers and the pixels: bit-field masks, then the palette.
  uint64_t tables = 14 + static_cast<uint64_t>(hdr);
  if (compression == 3 && hdr == 40) tables += 12;
  uint32_t palette = 0;
  if (bits <= 8) {
    uint32_t full = 1u << bits;
    if (clrUsed > full) return false;
    palette = clrUsed ? clrUsed : full;
  } else if (clrUsed > 4096) {
    return false;
  } else {
    palette = clrUsed;  // an optional palette of high-colour pictures
  }
  tables += static_cast<uint64_t>(palette) * paletteEntrySize;
  if (tables > size || offBits < tables || offBits >= size) return false;
  if (compression == 0 || compression == 3) {
    uint64_t stride = ((static_cast<uint64_t>(w) * bits + 31) / 32) * 4;
    if (stride * static_cast<uint64_t>(h) > size - offBits) return false;
  }
  info.width = static_cast<int32_t>(w);
  info.height = static_cast<int32_t>(h);
  info.bits = bits;
  info.compression = compression;
  info.topDown = topDown;
  info.pixelOffset = offBits;
  info.paletteEntries = palette;
  return true;
}

}  // namespace sd
