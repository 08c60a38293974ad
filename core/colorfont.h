// Colour and font texts as the settings file and skins store them.
#pragma once
#include <cstdint>
#include <string>

namespace sd {

// A font as the skins describe it; colour is 0x00BBGGRR.
struct FontDesc {
  std::string face;
  bool bold = false, italic = false, underline = false, strikeout = false;
  uint32_t color = 0;
  int size = 9;      // points
  int charset = 1;   // DEFAULT_CHARSET
  bool operator==(const FontDesc&) const = default;
};

// "&H" and the colour as 8 upper-case hexadecimal digits.
std::string ColorToText(uint32_t color);
// face + ",[" + styles + "]," + ColorToText(colour) + "," + size + "," + charset,
// for example "楷体_GB2312,[],&H00FFFFFF,15,134".
std::string FontToText(const FontDesc& font);

}  // namespace sd
