#include "skins/skinwriter.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/digitpairs.h"

namespace sd {

namespace {

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
uint32_t Get32(std::string_view s, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(s.data() + at);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Get16(std::string_view s, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool BuildSkinFile(std::string_view text, const std::vector<SkinBlockData>& blocks, std::string& out,
                   std::string& error) {
  out.clear();
  if (text.find('\x1A') != std::string_view::npos) {
    error = "the text part holds a Ctrl-Z byte";
    return false;
  }
  size_t total = text.size() + 10;
  for (const auto& b : blocks) total += 12 + b.data.size();
  out.reserve(total);
  out.assign(text);
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  out += "\x1A[END]\r\n";
  for (const auto& b : blocks) {
    if (b.tag.empty() || b.tag.size() > 4 ||
        !std::all_of(b.tag.begin(), b.tag.end(), [](char c) { return c > 0x20 && c < 0x7F; })) {
      error = "bad tag \"" + b.tag + "\"";
      return false;
    }
    uint8_t len[8];
    if (b.data.size() > static_cast<size_t>(INT32_MAX) ||
        !EncodeDigitPairs(static_cast<int32_t>(b.data.size()), len, 8)) {
      error = "block " + b.tag + " is too long";
      return false;
    }
    std::string tag = b.tag;
    tag.resize(4, '\0');
    out += tag;
    out.append(reinterpret_cast<const char*>(len), 8);
    out += b.data;
  }
  return true;
}

std::string MakeRegionData(const std::vector<RegionRect>& rects) {
  RegionRect box;
  bool first = true;
  for (const auto& r : rects) {
    if (first) box = r;
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
    first = false;
  }
  std::string s;
  s.reserve(32 + rects.size() * 16);
  Put32(s, 32);
  Put32(s, 1);
  Put32(s, static_cast<uint32_t>(rects.size()));
  Put32(s, static_cast<uint32_t>(rects.size() * 16));
  for (int32_t v : {box.left, box.top, box.right, box.bottom}) Put32(s, static_cast<uint32_t>(v));
  for (const auto& r : rects)
    for (int32_t v : {r.left, r.top, r.right, r.bottom}) Put32(s, static_cast<uint32_t>(v));
  return s;
}

std::vector<RegionRect> RegionRects(std::string_view data) {
  std::vector<RegionRect> rects;
  if (data.size() < 32) return rects;
  size_t n = Get32(data, 8);
  for (size_t i = 0; i < n && 32 + 16 * (i + 1) <= data.size(); ++i) {
    size_t at = 32 + 16 * i;
    rects.push_back({static_cast<int32_t>(Get32(data, at)), static_cast<int32_t>(Get32(data, at + 4)),
                     static_cast<int32_t>(Get32(data, at + 8)), static_cast<int32_t>(Get32(data, at + 12))});
  }
  return rects;
}

std::vector<RegionRect> MaskToRects(int w, int h, const std::function<bool(int, int)>& inside) {
  std::vector<RegionRect> rects;
  std::vector<std::pair<int, int>> prev;  // runs of the band being grown
  size_t bandStart = 0;                   // its first rectangle
  for (int y = 0; y < h; ++y) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < w;) {
      if (!inside(x, y)) {
        ++x;
        continue;
      }
      int x0 = x;
      while (x < w && inside(x, y)) ++x;
      runs.push_back({x0, x});
    }
    if (!runs.empty() && runs == prev) {
      for (size_t i = bandStart; i < rects.size(); ++i) rects[i].bottom = y + 1;
      continue;
    }
    bandStart = rects.size();
    for (const auto& r : runs) rects.push_back({r.first, y, r.second, y + 1});
    prev = std::move(runs);
  }
  return rects;
}

std::string MakeBmp24(int w, int h, const std::vector<uint32_t>& pixels) {
  size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
  size_t dataSize = stride * static_cast<size_t>(h);
  std::string s = "BM";
  Put32(s, static_cast<uint32_t>(54 + dataSize));
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(w));
  Put32(s, static_cast<uint32_t>(h));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(dataSize));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < w; ++x) {
      uint32_t p = pixels[static_cast<size_t>(y) * w + x];
      row += static_cast<char>(p & 0xFF);
      row += static_cast<char>((p >> 8) & 0xFF);
      row += static_cast<char>((p >> 16) & 0xFF);
    }
    row.resize(stride, '\0');
    s += row;
  }
  return s;
}

bool ReadBmpPixels(std::string_view bmp, int& w, int& h, std::vector<uint32_t>& pixels) {
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return false;
  uint32_t dataAt = Get32(bmp, 10);
  uint32_t hdr = Get32(bmp, 14);
  if (hdr < 40) return false;
  int32_t bw = static_cast<int32_t>(Get32(bmp, 18));
  int32_t bh = static_cast<int32_t>(Get32(bmp, 22));
  uint16_t bits = Get16(bmp, 28);
  uint32_t compression = Get32(bmp, 30);
  bool topDown = bh < 0;
  if (bh == INT32_MIN) return false;
  if (topDown) bh = -bh;
  if (bw <= 0 || bh <= 0 || bw > 16384 || bh > 16384) return false;
  if (!((bits == 24 && compression == 0) || (bits == 32 && (compression == 0 || compression == 3))))
    return false;
  size_t bpp = bits / 8;
  size_t stride = (static_cast<size_t>(bw) * bpp + 3) & ~size_t(3);
  if (dataAt > bmp.size() || stride * static_cast<size_t>(bh) > bmp.size() - dataAt) return false;
  w = bw;
  h = bh;
  pixels.assign(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    size_t row = dataAt + stride * static_cast<size_t>(topDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      auto p = reinterpret_cast<const unsigned char*>(bmp.data() + row + x * bpp);
      pixels[static_cast<size_t>(y) * w + x] = (p[2] << 16) | (p[1] << 8) | p[0];
    }
  }
  return true;
}

}  // namespace sd
