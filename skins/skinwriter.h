// The writing side of the skin file format, for the skin builder (mkskin) and the tests: a
// text part, the terminator and the picture blocks; region data from rectangles or a mask.
// The player itself never writes skins.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sd {

struct SkinBlockData {
  std::string tag;   // 1..4 printable ASCII characters
  std::string data;
};

// text + CR LF (unless it already ends a line) + Ctrl-Z "[END]" CR LF + the blocks. False with
// a reason when the text holds a Ctrl-Z, a tag is not 1..4 printable characters, or a block is
// too long for its length field.
bool BuildSkinFile(std::string_view text, const std::vector<SkinBlockData>& blocks, std::string& out,
                   std::string& error);

struct RegionRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RegionRect&) const = default;
};

// Region data: the 32-byte header (size 32, type 1, count, buffer size, bounding box) and the
// rectangles.
std::string MakeRegionData(const std::vector<RegionRect>& rects);
std::vector<RegionRect> RegionRects(std::string_view data);  // of data that IsRegionData accepts

// Rectangles covering the inside pixels of a w by h mask, in bands from the top: each row's
// runs, rows with the same runs merged.
std::vector<RegionRect> MaskToRects(int w, int h, const std::function<bool(int x, int y)>& inside);

// An uncompressed 24-bit bitmap file; pixels are 0xRRGGBB, rows from the top.
std::string MakeBmp24(int w, int h, const std::vector<uint32_t>& pixels);
// Pixels (0xRRGGBB, rows from the top) of an uncompressed 24- or 32-bit bitmap file.
bool ReadBmpPixels(std::string_view bmp, int& w, int& h, std::vector<uint32_t>& pixels);

}  // namespace sd
